// Fuzzes the bitmap decoder through a texture on the software device: the
// texture loader's header reading and sizing, then LoadBMP, and LoadBMP
// straight into a fixed small surface of several formats.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "gfx/vextral9.h"

namespace {

struct TFuzzDevice {
  TFuzzDevice() : window(64, 64), vx(&window) {
    SoftwareD3DConfig().MaxTextureWidth = 1024;  // keeps single inputs small
    SoftwareD3DConfig().MaxTextureHeight = 1024;
    SoftwareD3DConfig().TextureFormats.push_back(D3DFMT_P8);
    vx.SetDebugOption(TVXDebugOption{});  // no log file, no halting
    vx.Loaded();
    texture = std::make_unique<TVXTexture>(&vx, std::vector<D3DFORMAT>{D3DFMT_A8R8G8B8}, 0, D3DPOOL_MANAGED, 0, "");
    for (D3DFORMAT f : {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_R5G6B5, D3DFMT_P8}) {
      fixed.push_back(std::make_unique<TVXTexture>(&vx, std::vector<D3DFORMAT>{f}, 0, D3DPOOL_MANAGED, 1, ""));
      fixed.back()->SetSize(7, 5);
    }
  }
  THeadlessWindow window;
  TVextral vx;
  std::unique_ptr<TVXTexture> texture;
  std::vector<std::unique_ptr<TVXTexture>> fixed;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TFuzzDevice* device = new TFuzzDevice();
  std::vector<uint8_t> bytes(data, data + size);
  TMemoryStream stream(bytes);
  device->texture->LoadFromStream(stream);
  const size_t which = size > 0 ? data[0] % device->fixed.size() : 0;
  TMemoryStream again(std::move(bytes));
  LoadBMP(device->fixed[which]->Surface, again);
  return 0;
}
