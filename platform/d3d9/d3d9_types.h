// The Direct3D 9 type names, constants, structures and result codes that the
// graphics code is written against, with Direct3D 9's own values. Header only;
// any thread (plain data).
#pragma once

#include <cstdint>

#include "platform/wintypes/wintypes.h"

using D3DCOLOR = DWORD;

// ---------------------------------------------------------------------------
// Result codes: MAKE_HRESULT(severity 1, facility 0x876, code).
// ---------------------------------------------------------------------------
constexpr HRESULT MakeD3DHResult(unsigned code) {
  return static_cast<HRESULT>(0x80000000u | (0x876u << 16) | code);
}
inline constexpr HRESULT D3D_OK = S_OK;
inline constexpr HRESULT D3DERR_OUTOFVIDEOMEMORY = MakeD3DHResult(380);
inline constexpr HRESULT D3DERR_WRONGTEXTUREFORMAT = MakeD3DHResult(2072);
inline constexpr HRESULT D3DERR_UNSUPPORTEDCOLOROPERATION = MakeD3DHResult(2073);
inline constexpr HRESULT D3DERR_UNSUPPORTEDCOLORARG = MakeD3DHResult(2074);
inline constexpr HRESULT D3DERR_UNSUPPORTEDALPHAOPERATION = MakeD3DHResult(2075);
inline constexpr HRESULT D3DERR_UNSUPPORTEDALPHAARG = MakeD3DHResult(2076);
inline constexpr HRESULT D3DERR_TOOMANYOPERATIONS = MakeD3DHResult(2077);
inline constexpr HRESULT D3DERR_CONFLICTINGTEXTUREFILTER = MakeD3DHResult(2078);
inline constexpr HRESULT D3DERR_UNSUPPORTEDFACTORVALUE = MakeD3DHResult(2079);
inline constexpr HRESULT D3DERR_CONFLICTINGRENDERSTATE = MakeD3DHResult(2081);
inline constexpr HRESULT D3DERR_UNSUPPORTEDTEXTUREFILTER = MakeD3DHResult(2082);
inline constexpr HRESULT D3DERR_CONFLICTINGTEXTUREPALETTE = MakeD3DHResult(2086);
inline constexpr HRESULT D3DERR_DRIVERINTERNALERROR = MakeD3DHResult(2087);
inline constexpr HRESULT D3DERR_NOTFOUND = MakeD3DHResult(2150);
inline constexpr HRESULT D3DERR_MOREDATA = MakeD3DHResult(2151);
inline constexpr HRESULT D3DERR_DEVICELOST = MakeD3DHResult(2152);
inline constexpr HRESULT D3DERR_DEVICENOTRESET = MakeD3DHResult(2153);
inline constexpr HRESULT D3DERR_NOTAVAILABLE = MakeD3DHResult(2154);
inline constexpr HRESULT D3DERR_INVALIDDEVICE = MakeD3DHResult(2155);
inline constexpr HRESULT D3DERR_INVALIDCALL = MakeD3DHResult(2156);
inline constexpr HRESULT D3DERR_DRIVERINVALIDCALL = MakeD3DHResult(2157);

inline constexpr UINT D3D_SDK_VERSION = 31;
inline constexpr UINT D3DADAPTER_DEFAULT = 0;

// ---------------------------------------------------------------------------
// Formats
// ---------------------------------------------------------------------------
constexpr DWORD MakeFourCC(char a, char b, char c, char d) {
  return static_cast<DWORD>(static_cast<BYTE>(a)) | (static_cast<DWORD>(static_cast<BYTE>(b)) << 8) |
         (static_cast<DWORD>(static_cast<BYTE>(c)) << 16) | (static_cast<DWORD>(static_cast<BYTE>(d)) << 24);
}

enum D3DFORMAT : DWORD {
  D3DFMT_UNKNOWN = 0,
  D3DFMT_R8G8B8 = 20,
  D3DFMT_A8R8G8B8 = 21,
  D3DFMT_X8R8G8B8 = 22,
  D3DFMT_R5G6B5 = 23,
  D3DFMT_X1R5G5B5 = 24,
  D3DFMT_A1R5G5B5 = 25,
  D3DFMT_A4R4G4B4 = 26,
  D3DFMT_R3G3B2 = 27,
  D3DFMT_A8 = 28,
  D3DFMT_A8R3G3B2 = 29,
  D3DFMT_X4R4G4B4 = 30,
  D3DFMT_A8P8 = 40,
  D3DFMT_P8 = 41,
  D3DFMT_L8 = 50,
  D3DFMT_A8L8 = 51,
  D3DFMT_A4L4 = 52,
  D3DFMT_V8U8 = 60,
  D3DFMT_L6V5U5 = 61,
  D3DFMT_X8L8V8U8 = 62,
  D3DFMT_Q8W8V8U8 = 63,
  D3DFMT_V16U16 = 64,
  D3DFMT_D16_LOCKABLE = 70,
  D3DFMT_D32 = 71,
  D3DFMT_D15S1 = 73,
  D3DFMT_D24S8 = 75,
  D3DFMT_D24X8 = 77,
  D3DFMT_D24X4S4 = 79,
  D3DFMT_D16 = 80,
  D3DFMT_VERTEXDATA = 100,
  D3DFMT_INDEX16 = 101,
  D3DFMT_INDEX32 = 102,
  D3DFMT_DXT1 = MakeFourCC('D', 'X', 'T', '1'),
  D3DFMT_DXT2 = MakeFourCC('D', 'X', 'T', '2'),
  D3DFMT_DXT3 = MakeFourCC('D', 'X', 'T', '3'),
  D3DFMT_DXT4 = MakeFourCC('D', 'X', 'T', '4'),
  D3DFMT_DXT5 = MakeFourCC('D', 'X', 'T', '5'),
  D3DFMT_YUY2 = MakeFourCC('Y', 'U', 'Y', '2'),
  D3DFMT_UYVY = MakeFourCC('U', 'Y', 'V', 'Y'),
};

enum D3DDEVTYPE : DWORD {
  D3DDEVTYPE_HAL = 1,
  D3DDEVTYPE_REF = 2,
  D3DDEVTYPE_SW = 3,
};

enum D3DPOOL : DWORD {
  D3DPOOL_DEFAULT = 0,
  D3DPOOL_MANAGED = 1,
  D3DPOOL_SYSTEMMEM = 2,
  D3DPOOL_SCRATCH = 3,
};

enum D3DRESOURCETYPE : DWORD {
  D3DRTYPE_SURFACE = 1,
  D3DRTYPE_VOLUME = 2,
  D3DRTYPE_TEXTURE = 3,
  D3DRTYPE_VOLUMETEXTURE = 4,
  D3DRTYPE_CUBETEXTURE = 5,
  D3DRTYPE_VERTEXBUFFER = 6,
  D3DRTYPE_INDEXBUFFER = 7,
};

enum D3DMULTISAMPLE_TYPE : DWORD { D3DMULTISAMPLE_NONE = 0 };

enum D3DSWAPEFFECT : DWORD {
  D3DSWAPEFFECT_DISCARD = 1,
  D3DSWAPEFFECT_FLIP = 2,
  D3DSWAPEFFECT_COPY = 3,
};

enum D3DBACKBUFFER_TYPE : DWORD { D3DBACKBUFFER_TYPE_MONO = 0 };

// Usage flags
inline constexpr DWORD D3DUSAGE_RENDERTARGET = 0x00000001;
inline constexpr DWORD D3DUSAGE_DEPTHSTENCIL = 0x00000002;
inline constexpr DWORD D3DUSAGE_DYNAMIC = 0x00000200;

// Lock flags
inline constexpr DWORD D3DLOCK_READONLY = 0x00000010;
inline constexpr DWORD D3DLOCK_DISCARD = 0x00002000;
inline constexpr DWORD D3DLOCK_NOOVERWRITE = 0x00001000;
inline constexpr DWORD D3DLOCK_NOSYSLOCK = 0x00000800;

// Clear flags
inline constexpr DWORD D3DCLEAR_TARGET = 0x00000001;
inline constexpr DWORD D3DCLEAR_ZBUFFER = 0x00000002;
inline constexpr DWORD D3DCLEAR_STENCIL = 0x00000004;

// Device creation behaviour flags
inline constexpr DWORD D3DCREATE_FPU_PRESERVE = 0x00000002;
inline constexpr DWORD D3DCREATE_MULTITHREADED = 0x00000004;
inline constexpr DWORD D3DCREATE_PUREDEVICE = 0x00000010;
inline constexpr DWORD D3DCREATE_SOFTWARE_VERTEXPROCESSING = 0x00000020;
inline constexpr DWORD D3DCREATE_HARDWARE_VERTEXPROCESSING = 0x00000040;
inline constexpr DWORD D3DCREATE_MIXED_VERTEXPROCESSING = 0x00000080;

// Present parameters
inline constexpr DWORD D3DPRESENTFLAG_LOCKABLE_BACKBUFFER = 0x00000001;
inline constexpr UINT D3DPRESENT_INTERVAL_DEFAULT = 0x00000000;
inline constexpr UINT D3DPRESENT_INTERVAL_ONE = 0x00000001;
inline constexpr UINT D3DPRESENT_INTERVAL_IMMEDIATE = 0x80000000;
inline constexpr UINT D3DPRESENT_BACK_BUFFERS_MAX = 3;

// Caps bits
inline constexpr DWORD D3DDEVCAPS_HWTRANSFORMANDLIGHT = 0x00010000;
inline constexpr DWORD D3DDEVCAPS_DRAWPRIMTLVERTEX = 0x00000400;
inline constexpr DWORD D3DDEVCAPS_HWRASTERIZATION = 0x00080000;
inline constexpr DWORD D3DPTEXTURECAPS_PERSPECTIVE = 0x00000001;
inline constexpr DWORD D3DPTEXTURECAPS_POW2 = 0x00000002;
inline constexpr DWORD D3DPTEXTURECAPS_ALPHA = 0x00000004;
inline constexpr DWORD D3DPTEXTURECAPS_SQUAREONLY = 0x00000020;
inline constexpr DWORD D3DPTEXTURECAPS_MIPMAP = 0x00004000;
inline constexpr DWORD D3DPMISCCAPS_MASKZ = 0x00000002;
inline constexpr DWORD D3DPMISCCAPS_CULLNONE = 0x00000010;
inline constexpr DWORD D3DPMISCCAPS_CULLCW = 0x00000020;
inline constexpr DWORD D3DPMISCCAPS_CULLCCW = 0x00000040;
inline constexpr DWORD D3DPMISCCAPS_BLENDOP = 0x00000800;
inline constexpr DWORD D3DPTFILTERCAPS_MINFPOINT = 0x00000100;
inline constexpr DWORD D3DPTFILTERCAPS_MINFLINEAR = 0x00000200;
inline constexpr DWORD D3DPTFILTERCAPS_MAGFPOINT = 0x01000000;
inline constexpr DWORD D3DPTFILTERCAPS_MAGFLINEAR = 0x02000000;
inline constexpr DWORD D3DPTADDRESSCAPS_WRAP = 0x00000001;
inline constexpr DWORD D3DPTADDRESSCAPS_CLAMP = 0x00000004;
inline constexpr DWORD D3DPSHADECAPS_COLORGOURAUDRGB = 0x00000008;
inline constexpr DWORD D3DPSHADECAPS_ALPHAGOURAUDBLEND = 0x00004000;

// Flexible vertex format bits
inline constexpr DWORD D3DFVF_XYZ = 0x002;
inline constexpr DWORD D3DFVF_XYZRHW = 0x004;
inline constexpr DWORD D3DFVF_DIFFUSE = 0x040;
inline constexpr DWORD D3DFVF_SPECULAR = 0x080;
inline constexpr DWORD D3DFVF_TEX1 = 0x100;

// ---------------------------------------------------------------------------
// States
// ---------------------------------------------------------------------------
enum D3DRENDERSTATETYPE : DWORD {
  D3DRS_ZENABLE = 7,
  D3DRS_FILLMODE = 8,
  D3DRS_SHADEMODE = 9,
  D3DRS_ZWRITEENABLE = 14,
  D3DRS_ALPHATESTENABLE = 15,
  D3DRS_LASTPIXEL = 16,
  D3DRS_SRCBLEND = 19,
  D3DRS_DESTBLEND = 20,
  D3DRS_CULLMODE = 22,
  D3DRS_ZFUNC = 23,
  D3DRS_ALPHAREF = 24,
  D3DRS_ALPHAFUNC = 25,
  D3DRS_DITHERENABLE = 26,
  D3DRS_ALPHABLENDENABLE = 27,
  D3DRS_FOGENABLE = 28,
  D3DRS_SPECULARENABLE = 29,
  D3DRS_FOGCOLOR = 34,
  D3DRS_STENCILENABLE = 52,
  D3DRS_TEXTUREFACTOR = 60,
  D3DRS_WRAP0 = 128,
  D3DRS_CLIPPING = 136,
  D3DRS_LIGHTING = 137,
  D3DRS_AMBIENT = 139,
  D3DRS_COLORVERTEX = 141,
  D3DRS_NORMALIZENORMALS = 143,
  D3DRS_DIFFUSEMATERIALSOURCE = 145,
  D3DRS_COLORWRITEENABLE = 168,
  D3DRS_BLENDOP = 171,
  D3DRS_SCISSORTESTENABLE = 174,
  D3DRS_SEPARATEALPHABLENDENABLE = 206,
};
inline constexpr DWORD kD3DRenderStateCount = 210;  // one past the highest state kept

enum D3DZBUFFERTYPE : DWORD { D3DZB_FALSE = 0, D3DZB_TRUE = 1, D3DZB_USEW = 2 };
enum D3DFILLMODE : DWORD { D3DFILL_POINT = 1, D3DFILL_WIREFRAME = 2, D3DFILL_SOLID = 3 };
enum D3DSHADEMODE : DWORD { D3DSHADE_FLAT = 1, D3DSHADE_GOURAUD = 2 };
enum D3DCULL : DWORD { D3DCULL_NONE = 1, D3DCULL_CW = 2, D3DCULL_CCW = 3 };

enum D3DCMPFUNC : DWORD {
  D3DCMP_NEVER = 1,
  D3DCMP_LESS = 2,
  D3DCMP_EQUAL = 3,
  D3DCMP_LESSEQUAL = 4,
  D3DCMP_GREATER = 5,
  D3DCMP_NOTEQUAL = 6,
  D3DCMP_GREATEREQUAL = 7,
  D3DCMP_ALWAYS = 8,
};

enum D3DBLEND : DWORD {
  D3DBLEND_ZERO = 1,
  D3DBLEND_ONE = 2,
  D3DBLEND_SRCCOLOR = 3,
  D3DBLEND_INVSRCCOLOR = 4,
  D3DBLEND_SRCALPHA = 5,
  D3DBLEND_INVSRCALPHA = 6,
  D3DBLEND_DESTALPHA = 7,
  D3DBLEND_INVDESTALPHA = 8,
  D3DBLEND_DESTCOLOR = 9,
  D3DBLEND_INVDESTCOLOR = 10,
};

enum D3DBLENDOP : DWORD {
  D3DBLENDOP_ADD = 1,
  D3DBLENDOP_SUBTRACT = 2,
  D3DBLENDOP_REVSUBTRACT = 3,
  D3DBLENDOP_MIN = 4,
  D3DBLENDOP_MAX = 5,
};

enum D3DTEXTURESTAGESTATETYPE : DWORD {
  D3DTSS_COLOROP = 1,
  D3DTSS_COLORARG1 = 2,
  D3DTSS_COLORARG2 = 3,
  D3DTSS_ALPHAOP = 4,
  D3DTSS_ALPHAARG1 = 5,
  D3DTSS_ALPHAARG2 = 6,
  D3DTSS_TEXCOORDINDEX = 11,
  D3DTSS_TEXTURETRANSFORMFLAGS = 24,
  D3DTSS_COLORARG0 = 26,
  D3DTSS_ALPHAARG0 = 27,
  D3DTSS_RESULTARG = 28,
};
inline constexpr DWORD kD3DTextureStageStateCount = 33;

enum D3DTEXTUREOP : DWORD {
  D3DTOP_DISABLE = 1,
  D3DTOP_SELECTARG1 = 2,
  D3DTOP_SELECTARG2 = 3,
  D3DTOP_MODULATE = 4,
  D3DTOP_MODULATE2X = 5,
  D3DTOP_MODULATE4X = 6,
  D3DTOP_ADD = 7,
};

inline constexpr DWORD D3DTA_DIFFUSE = 0x00000000;
inline constexpr DWORD D3DTA_CURRENT = 0x00000001;
inline constexpr DWORD D3DTA_TEXTURE = 0x00000002;
inline constexpr DWORD D3DTA_TFACTOR = 0x00000003;
inline constexpr DWORD D3DTA_SPECULAR = 0x00000004;
inline constexpr DWORD D3DTA_SELECTMASK = 0x0000000f;

enum D3DSAMPLERSTATETYPE : DWORD {
  D3DSAMP_ADDRESSU = 1,
  D3DSAMP_ADDRESSV = 2,
  D3DSAMP_ADDRESSW = 3,
  D3DSAMP_BORDERCOLOR = 4,
  D3DSAMP_MAGFILTER = 5,
  D3DSAMP_MINFILTER = 6,
  D3DSAMP_MIPFILTER = 7,
  D3DSAMP_MIPMAPLODBIAS = 8,
  D3DSAMP_MAXMIPLEVEL = 9,
  D3DSAMP_MAXANISOTROPY = 10,
  D3DSAMP_SRGBTEXTURE = 11,
  D3DSAMP_ELEMENTINDEX = 12,
  D3DSAMP_DMAPOFFSET = 13,
};
inline constexpr DWORD kD3DSamplerStateCount = 14;

enum D3DTEXTUREADDRESS : DWORD {
  D3DTADDRESS_WRAP = 1,
  D3DTADDRESS_MIRROR = 2,
  D3DTADDRESS_CLAMP = 3,
  D3DTADDRESS_BORDER = 4,
};

enum D3DTEXTUREFILTERTYPE : DWORD {
  D3DTEXF_NONE = 0,
  D3DTEXF_POINT = 1,
  D3DTEXF_LINEAR = 2,
  D3DTEXF_ANISOTROPIC = 3,
};

enum D3DTRANSFORMSTATETYPE : DWORD {
  D3DTS_VIEW = 2,
  D3DTS_PROJECTION = 3,
  D3DTS_TEXTURE0 = 16,
  D3DTS_WORLD = 256,
};

enum D3DPRIMITIVETYPE : DWORD {
  D3DPT_POINTLIST = 1,
  D3DPT_LINELIST = 2,
  D3DPT_LINESTRIP = 3,
  D3DPT_TRIANGLELIST = 4,
  D3DPT_TRIANGLESTRIP = 5,
  D3DPT_TRIANGLEFAN = 6,
};

inline constexpr DWORD kMaxTextureStages = 8;

// ---------------------------------------------------------------------------
// Structures
// ---------------------------------------------------------------------------
struct D3DMATRIX {
  union {
    struct {
      float _11, _12, _13, _14;
      float _21, _22, _23, _24;
      float _31, _32, _33, _34;
      float _41, _42, _43, _44;
    };
    float m[4][4];
  };
};

struct D3DVIEWPORT9 {
  DWORD X;
  DWORD Y;
  DWORD Width;
  DWORD Height;
  float MinZ;
  float MaxZ;
};

struct D3DRECT {
  LONG x1;
  LONG y1;
  LONG x2;
  LONG y2;
};

struct D3DDISPLAYMODE {
  UINT Width;
  UINT Height;
  UINT RefreshRate;
  D3DFORMAT Format;
};

struct D3DPRESENT_PARAMETERS {
  UINT BackBufferWidth;
  UINT BackBufferHeight;
  D3DFORMAT BackBufferFormat;
  UINT BackBufferCount;
  D3DMULTISAMPLE_TYPE MultiSampleType;
  DWORD MultiSampleQuality;
  D3DSWAPEFFECT SwapEffect;
  HWND hDeviceWindow;
  BOOL Windowed;
  BOOL EnableAutoDepthStencil;
  D3DFORMAT AutoDepthStencilFormat;
  DWORD Flags;
  UINT FullScreen_RefreshRateInHz;
  UINT PresentationInterval;
};

inline constexpr int MAX_DEVICE_IDENTIFIER_STRING = 512;

struct GUID {
  DWORD Data1;
  WORD Data2;
  WORD Data3;
  BYTE Data4[8];
};

struct LARGE_INTEGER {
  std::int64_t QuadPart;
};

struct D3DADAPTER_IDENTIFIER9 {
  char Driver[MAX_DEVICE_IDENTIFIER_STRING];
  char Description[MAX_DEVICE_IDENTIFIER_STRING];
  char DeviceName[32];
  LARGE_INTEGER DriverVersion;
  DWORD VendorId;
  DWORD DeviceId;
  DWORD SubSysId;
  DWORD Revision;
  GUID DeviceIdentifier;
  DWORD WHQLLevel;
};

// The leading members of Direct3D 9's capability record, in its order.
struct D3DCAPS9 {
  D3DDEVTYPE DeviceType;
  UINT AdapterOrdinal;
  DWORD Caps;
  DWORD Caps2;
  DWORD Caps3;
  DWORD PresentationIntervals;
  DWORD CursorCaps;
  DWORD DevCaps;
  DWORD PrimitiveMiscCaps;
  DWORD RasterCaps;
  DWORD ZCmpCaps;
  DWORD SrcBlendCaps;
  DWORD DestBlendCaps;
  DWORD AlphaCmpCaps;
  DWORD ShadeCaps;
  DWORD TextureCaps;
  DWORD TextureFilterCaps;
  DWORD CubeTextureFilterCaps;
  DWORD VolumeTextureFilterCaps;
  DWORD TextureAddressCaps;
  DWORD VolumeTextureAddressCaps;
  DWORD LineCaps;
  DWORD MaxTextureWidth;
  DWORD MaxTextureHeight;
  DWORD MaxVolumeExtent;
  DWORD MaxTextureRepeat;
  DWORD MaxTextureAspectRatio;
  DWORD MaxAnisotropy;
  float MaxVertexW;
  float GuardBandLeft;
  float GuardBandTop;
  float GuardBandRight;
  float GuardBandBottom;
  float ExtentsAdjust;
  DWORD StencilCaps;
  DWORD FVFCaps;
  DWORD TextureOpCaps;
  DWORD MaxTextureBlendStages;
  DWORD MaxSimultaneousTextures;
  DWORD VertexProcessingCaps;
  DWORD MaxActiveLights;
  DWORD MaxUserClipPlanes;
  DWORD MaxVertexBlendMatrices;
  DWORD MaxVertexBlendMatrixIndex;
  float MaxPointSize;
  DWORD MaxPrimitiveCount;
  DWORD MaxVertexIndex;
  DWORD MaxStreams;
  DWORD MaxStreamStride;
  DWORD VertexShaderVersion;
  DWORD MaxVertexShaderConst;
  DWORD PixelShaderVersion;
};

struct D3DSURFACE_DESC {
  D3DFORMAT Format;
  D3DRESOURCETYPE Type;
  DWORD Usage;
  D3DPOOL Pool;
  D3DMULTISAMPLE_TYPE MultiSampleType;
  DWORD MultiSampleQuality;
  UINT Width;
  UINT Height;
};

struct D3DLOCKED_RECT {
  INT Pitch;
  void* pBits;
};
