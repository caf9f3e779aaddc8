#include "platform/gdi/graphics.h"

#include <cstring>

namespace {

// "ＭＳ Ｐゴシック" in CP932, the class library's default face on a Japanese system.
constexpr char kDefaultFontName[] = "\x82\x6c\x82\x72 \x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e";
constexpr int kDefaultFontHeight = -12;
constexpr int kPointsPerInch = 72;

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Copies a CP932 name into a face-name field, never splitting a double-byte
// character: a cut name would name another face.
void CopyFaceName(const std::string& name, char (&out)[LF_FACESIZE]) {
  size_t n = 0;
  while (n < name.size()) {
    const size_t len = IsLeadByte(static_cast<unsigned char>(name[n])) && n + 1 < name.size() ? 2 : 1;
    if (n + len > LF_FACESIZE - 1) break;
    n += len;
  }
  std::memset(out, 0, LF_FACESIZE);
  std::memcpy(out, name.data(), n);
}

}  // namespace

TFont::TFont() : m_name(kDefaultFontName), m_height(kDefaultFontHeight) {}

void TFont::SetName(const std::string& cp932Name) {
  if (cp932Name == m_name) return;
  m_name = cp932Name;
  ++m_version;
}

void TFont::SetHeight(int height) {
  if (height == m_height) return;
  m_height = height;
  ++m_version;
}

int TFont::Size() const { return -MulDiv(m_height, kPointsPerInch, kPixelsPerInch); }

void TFont::SetSize(int points) { SetHeight(-MulDiv(points, kPixelsPerInch, kPointsPerInch)); }

void TFont::SetStyle(TFontStyles style) {
  if (style == m_style) return;
  m_style = style;
  ++m_version;
}

LOGFONTA TFont::LogFont() const {
  LOGFONTA lf{};
  lf.lfHeight = m_height;
  lf.lfWeight = m_style.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = m_style.Contains(fsItalic) ? 1 : 0;
  lf.lfUnderline = m_style.Contains(fsUnderline) ? 1 : 0;
  lf.lfStrikeOut = m_style.Contains(fsStrikeOut) ? 1 : 0;
  lf.lfCharSet = DEFAULT_CHARSET;
  CopyFaceName(m_name, lf.lfFaceName);
  return lf;
}

TCanvas::TCanvas() : m_dc(CreateCompatibleDC(nullptr)) {}

TCanvas::~TCanvas() {
  DeleteDC(m_dc);
  if (m_selectedFont) DeleteObject(m_selectedFont);
}

HDC TCanvas::Handle() {
  if (!m_selectedFont || m_selectedVersion != m_font.Version()) {
    const LOGFONTA lf = m_font.LogFont();
    HFONT font = CreateFontIndirectA(&lf);
    SelectObject(m_dc, font);
    if (m_selectedFont) DeleteObject(m_selectedFont);
    m_selectedFont = font;
    m_selectedVersion = m_font.Version();
  }
  return m_dc;
}

SIZE TCanvas::TextExtent(const std::string& cp932) {
  SIZE size{0, 0};
  if (!GetTextExtentPoint32A(Handle(), cp932.data(), static_cast<int>(cp932.size()), &size)) return SIZE{0, 0};
  return size;
}

void TBitmap::SetSize(int width, int height) {
  m_width = width > 0 ? width : 0;
  m_height = height > 0 ? height : 0;
  m_pixels.assign(RowBytes() * static_cast<size_t>(m_height), 0);
}
