// The device wrapper: start-up and shut-down log, device type and vertex
// processing choice, depth formats, window sizing, the resource registry and
// the destructor's order.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#endif

#include "gfx/vextral9.h"
#include "log_fixture.h"

namespace {

const TVXDebugOption kLogWithoutHalt{vxoDebugMessage, vxoDetailedLog};

// A registered resource that records what happens to it and unregisters
// itself when destroyed.
class TTestResource : public TVXResource {
 public:
  TTestResource(TVextral& vx, std::vector<std::string>& events, std::string name)
      : m_vx(vx), m_events(events), m_name(std::move(name)) {
    Id = vx.RegisterResource(
        this, m_name, [this] { m_events.push_back("release " + m_name); },
        [this] {
          m_events.push_back("rebuild " + m_name + (m_vx.Device != nullptr && m_vx.BackBufferCount == 1 ? " with device" : ""));
        },
        nullptr, nullptr);
  }
  ~TTestResource() override {
    m_events.push_back("destroy " + m_name);
    DetailLog("destroying " + m_name);
    m_vx.UnregisterResource(Id);
  }
  const char* ClassName() const override { return "TTestResource"; }
  int32_t Id = -1;

 private:
  TVextral& m_vx;
  std::vector<std::string>& m_events;
  std::string m_name;
};

class VextralTest : public LogTest {
 protected:
  std::unique_ptr<TVextral> Start(TVXDebugOption option = kLogWithoutHalt) {
    auto vx = std::make_unique<TVextral>(&m_window);
    vx->Name = "VX";
    vx->SetDebugOption(option);
    vx->Loaded();
    return vx;
  }
  THeadlessWindow m_window{100, 80, 8, 50};
};

}  // namespace

TEST_F(VextralTest, StartUpWritesEveryStepAndMakesAHardwareDevice) {
  auto vx = Start();
  const std::vector<std::string> expected = {
      "",
      "■■■起動時の初期化をします■■■",
      "  Direct3Dを生成します",
      "  ウィンドウのクライアント領域のサイズに合わせて初期化を開始します",
      "  ",
      "  ■■■Windowモードへ移行します■■■",
      "    ",
      "    ■■■Direct3Dデバイスを解放します■■■",
      "      全てのVextralリソースを解放します",
      "    ■■■Direct3Dデバイスを解放しました■■■",
      "    ",
      "    ",
      "    ■■■画面モードを初期化します■■■",
      "      Driver : pluv_soft_d3d9",
      "      Description : Pluvionaut software rasteriser",
      "      VendorID : 0000504c, DeviceID : 00000009, SubSysID : 00000000, Revision : 00000001",
      "      ウィンドウモード 100x80で初期化します",
      "      ハードウェアアクセラレーションを利用します",
      "      希望のデプスステンシルサーフェスのフォーマットが見つかりませんでした",
      "      デプスステンシルサーフェスのフォーマット...UNKNOWN",
      "      ハードウェアT&Lを利用します",
      "      Direct3DDeviceオブジェクトの生成を行います",
      "      全てのVextralリソースを再構築します",
      "    ■■■画面モードを初期化しました■■■",
      "    ",
      "  ■■■Windowモードへ移行しました■■■",
      "  ",
      "■■■Vextral 起動しました■■■",
      "",
  };
  EXPECT_EQ(Texts(), expected);
  EXPECT_EQ(Lines().front(), "#00001 | ");
  EXPECT_EQ(LogIndent, 0);
  ASSERT_NE(vx->Device, nullptr);
  EXPECT_EQ(vx->DeviceType, D3DDEVTYPE_HAL);
  EXPECT_EQ(vx->BackBufferCount, 1);
  EXPECT_EQ(vx->PresentParameters.BackBufferCount, 1u);
  ASSERT_EQ(vx->BackBuffers.size(), 1u);
  EXPECT_EQ(vx->GetBackBuffer(0), vx->BackBuffers[0]);
  EXPECT_EQ(vx->DepthStencilSurface, nullptr);
  EXPECT_TRUE(vx->Windowed);
  EXPECT_EQ(vx->ScreenWidth, 100u);
  EXPECT_EQ(vx->ScreenHeight, 80u);
  EXPECT_EQ(vx->ScreenFormat, D3DFMT_X8R8G8B8);  // the desktop's format
  EXPECT_EQ(vx->PresentParameters.hDeviceWindow, m_window.Handle());
  EXPECT_EQ(vx->PresentParameters.SwapEffect, D3DSWAPEFFECT_DISCARD);
  EXPECT_EQ(vx->NextResourceID, 0);
}

TEST_F(VextralTest, ShutdownReleasesInOrderWithoutFailures) {
  auto vx = Start();
  const size_t before = Texts().size();
  vx.reset();
  const auto texts = Texts();
  const std::vector<std::string> tail(texts.begin() + static_cast<std::ptrdiff_t>(before), texts.end());
  const std::vector<std::string> expected = {
      "",
      "■■■お別れの時がやってまいりました■■■",
      "  Vextralオブジェクトの解放に伴い、全ての関連オブジェクトを解放します",
      "  ",
      "  ■■■Direct3Dデバイスを解放します■■■",
      "    全てのVextralリソースを解放します",
      "    バックバッファを解放します",
      "    Direct3DDeviceオブジェクトの解放を行います",
      "  ■■■Direct3Dデバイスを解放しました■■■",
      "  ",
      "  Direct3Dオブジェクトの解放を行います",
      "■■■それではごきげんよう■■■",
      "",
  };
  EXPECT_EQ(tail, expected);
}

TEST_F(VextralTest, ReferenceDeviceWhenAskedOrWhenThereIsNoHardware) {
  {
    auto vx = std::make_unique<TVextral>(&m_window);
    vx->SetDebugOption(kLogWithoutHalt);
    vx->UseREFDevice = true;
    vx->Loaded();
    EXPECT_EQ(vx->DeviceType, D3DDEVTYPE_REF);
    EXPECT_NE(vx->Device, nullptr);
    EXPECT_TRUE(HasText("ソフトウェアエミュレーションを利用します"));
    EXPECT_FALSE(HasText("T&Lを利用します"));
    EXPECT_FALSE(HasText("ハードウェアアクセラレーション"));
  }
  LogLineCount = 0;
  SoftwareD3DConfig().HasHardwareDevice = false;
  auto vx = Start();
  EXPECT_EQ(vx->DeviceType, D3DDEVTYPE_REF);
  EXPECT_NE(vx->Device, nullptr);
  EXPECT_EQ(CountText("ソフトウェアエミュレーションを利用します"), 1);
  EXPECT_FALSE(HasText("Error Code"));  // the failed caps read is no error
}

TEST_F(VextralTest, VertexProcessingFollowsTheCapsAndTheProperty) {
  SoftwareD3DConfig().HardwareTransformAndLighting = false;
  {
    auto vx = Start();
    EXPECT_EQ(vx->DeviceType, D3DDEVTYPE_HAL);
    EXPECT_NE(vx->Device, nullptr);
    EXPECT_TRUE(HasText("ソフトウェアT&Lを利用します"));
    EXPECT_FALSE(HasText("ハードウェアT&Lを利用します"));
  }
  LogLineCount = 0;
  SoftwareD3DConfig().HardwareTransformAndLighting = true;
  auto vx = std::make_unique<TVextral>(&m_window);
  vx->SetDebugOption(kLogWithoutHalt);
  vx->UseSoftwareVertexProcessing = true;
  vx->Loaded();
  EXPECT_EQ(vx->DeviceType, D3DDEVTYPE_HAL);
  EXPECT_NE(vx->Device, nullptr);
  EXPECT_TRUE(HasText("ソフトウェアT&Lを利用します"));
  EXPECT_FALSE(HasText("ハードウェアT&Lを利用します"));
}

TEST_F(VextralTest, DepthFormatsAreTriedInTheCallersOrder) {
  SoftwareD3DConfig().DepthFormats = {D3DFMT_D16};
  auto vx = Start();
  vx->InitWindowMode(64, 48, {D3DFMT_D24S8, D3DFMT_D16}, 0, 1, 0, 0);
  EXPECT_EQ(vx->PresentParameters.AutoDepthStencilFormat, D3DFMT_D16);
  EXPECT_TRUE(vx->PresentParameters.EnableAutoDepthStencil);
  EXPECT_NE(vx->DepthStencilSurface, nullptr);
  EXPECT_TRUE(HasText("デプスステンシルサーフェスのフォーマット...D16"));
  // None matching: the creation fails and is reported.
  vx->InitWindowMode(64, 48, {D3DFMT_D32}, 0, 1, 0, 0);
  EXPECT_EQ(vx->Device, nullptr);
  EXPECT_EQ(vx->DepthStencilSurface, nullptr);
  EXPECT_TRUE(HasText("Direct3DDeviceオブジェクトの生成に失敗しました(Error Code = D3DERR_INVALIDCALL )"));
  // And back to a working device without depth.
  vx->InitWindowMode(64, 48, {}, 0, 1, 0, 0);
  EXPECT_NE(vx->Device, nullptr);
  EXPECT_EQ(vx->DepthStencilSurface, nullptr);
}

TEST_F(VextralTest, WindowModeSizesTheClientAreaAndKeepsThePosition) {
  m_window.SetWindowPos(30, 40, 108, 130, false);
  auto vx = Start();
  EXPECT_TRUE(m_window.Shown());
  vx->InitWindowMode(640, 480, {}, 0, 1, 0, 0);
  EXPECT_EQ(m_window.ClientWidth(), 640);
  EXPECT_EQ(m_window.ClientHeight(), 480);
  EXPECT_EQ(m_window.Left(), 30);
  EXPECT_EQ(m_window.Top(), 40);
  EXPECT_EQ(vx->ScreenWidth, 640u);
  EXPECT_EQ(vx->ScreenHeight, 480u);
}

TEST_F(VextralTest, RegistryHandsOutIncreasingIdsAndReportsUnknownOnes) {
  auto vx = Start();
  EXPECT_EQ(vx->RegisterResource(nullptr, "a", nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(vx->RegisterResource(nullptr, "b", nullptr, nullptr, nullptr, nullptr), 1);
  vx->UnregisterResource(0);
  EXPECT_EQ(vx->RegisterResource(nullptr, "c", nullptr, nullptr, nullptr, nullptr), 2);
  ASSERT_EQ(vx->ResourceList.size(), 2u);
  EXPECT_EQ(vx->ResourceList[0]->Name, "b");
  EXPECT_EQ(vx->ResourceList[1]->ID, 2);
  EXPECT_TRUE(HasText("Vextralリソース(nil)を登録します ID は 1(b) です"));
  EXPECT_TRUE(HasText("Vextralリソース(nil) : ID 0(a) を登録解除します"));
  // Unregistering twice: the second call is reported, the list unchanged.
  vx->UnregisterResource(0);
  EXPECT_EQ(vx->ResourceList.size(), 2u);
  EXPECT_TRUE(HasText("リストに入ってないVextralリソース(ID:0)が、UnregisterResource手続きに渡されました(Error Code = "
                      "UNKNOWN ERROR ... $00000001)"));
  vx->UnregisterResource(1);
  vx->UnregisterResource(2);
}

TEST_F(VextralTest, UnregisteringAnUnknownIdEndsTheProcessWhenHalting) {
  auto vx = Start(kAllDebugOptions);
  EXPECT_EXIT(vx->UnregisterResource(7), ::testing::ExitedWithCode(0), "");
}

TEST_F(VextralTest, HooksRunAroundEveryDeviceCycleInRegistrationOrder) {
  auto vx = Start();
  std::vector<std::string> events;
  auto a = std::make_unique<TTestResource>(*vx, events, "a");
  auto b = std::make_unique<TTestResource>(*vx, events, "b");
  vx->InitWindowMode(32, 32, {}, 0, 1, 0, 0);
  EXPECT_EQ(events, (std::vector<std::string>{"release a", "release b", "rebuild a with device", "rebuild b with device"}));
  EXPECT_TRUE(HasText("Vextralリソース(TTestResource)を登録します ID は 0(a) です"));
  a.reset();
  b.reset();
  EXPECT_TRUE(vx->ResourceList.empty());
}

TEST_F(VextralTest, DestructorFreesRegisteredResourcesOldestFirstBeforeTheDevice) {
  auto vx = Start();
  std::vector<std::string> events;
  new TTestResource(*vx, events, "older");  // owned by the wrapper from here on
  new TTestResource(*vx, events, "newer");
  vx.reset();
  EXPECT_EQ(events, (std::vector<std::string>{"destroy older", "destroy newer"}));
  const int first = IndexOf("ID 0(older) のVextralリソースは、明示的に解放されていません");
  const int second = IndexOf("ID 1(newer) のVextralリソースは、明示的に解放されていません");
  const int destroyedNewer = IndexOf("destroying newer");
  const int device = IndexOf("Vextralオブジェクトの解放に伴い、全ての関連オブジェクトを解放します");
  ASSERT_GE(first, 0);
  EXPECT_LT(first, second);
  EXPECT_LT(second, destroyedNewer);
  EXPECT_LT(destroyedNewer, device);
  EXPECT_EQ(CountText("明示的に解放されていません"), 2);
  EXPECT_FALSE(HasText("Error Code"));
}

TEST_F(VextralTest, ADestroyedResourceThatForgetsToUnregisterDoesNotHangTheDestructor) {
  class TForgetful : public TVXResource {
   public:
    const char* ClassName() const override { return "TForgetful"; }
  };
  auto vx = Start();
  vx->RegisterResource(new TForgetful, "forgetful", nullptr, nullptr, nullptr, nullptr);
  vx.reset();
  EXPECT_EQ(CountText("明示的に解放されていません"), 1);
}

TEST_F(VextralTest, ALeakedReferenceIsReportedAtRelease) {
  auto vx = Start();
  vx->BackBuffers[0]->AddRef();  // somebody kept the back buffer
  IDirect3DSurface9* kept = vx->BackBuffers[0];
  vx->ReleaseDevice();
  EXPECT_TRUE(HasText("バックバッファ #0　の解放に失敗しました(Error Code = UNKNOWN ERROR ... $00000001)"));
  // The device stays alive for that surface, so its release reports too.
  EXPECT_TRUE(HasText("Direct3DDeviceオブジェクトの解放に失敗しました(Error Code = UNKNOWN ERROR ... $00000001)"));
  EXPECT_EQ(kept->Release(), 0u);
  EXPECT_EQ(vx->Device, nullptr);
  EXPECT_TRUE(vx->BackBuffers.empty());
  EXPECT_EQ(vx->BackBufferCount, 1);  // keeps its value
}

TEST_F(VextralTest, ALeakedReferenceEndsTheProcessWhenHalting) {
  auto vx = Start(kAllDebugOptions);
  vx->BackBuffers[0]->AddRef();
  EXPECT_EXIT(vx->ReleaseDevice(), ::testing::ExitedWithCode(0), "");
  vx->BackBuffers[0]->Release();
}

TEST_F(VextralTest, NoDirect3DObjectIsReportedAndLeavesNoDevice) {
  SoftwareD3DConfig().CreateFails = true;
  auto vx = Start();
  EXPECT_EQ(vx->Direct3D, nullptr);
  EXPECT_EQ(vx->Device, nullptr);
  EXPECT_TRUE(HasText("Direct3Dオプジェクトすら生成できません、論外(Error Code = UNKNOWN ERROR ... $00000001)"));
  EXPECT_FALSE(HasText("Vextral 起動しました"));
  EXPECT_EQ(LogIndent, 0);
  // Later mode changes fail cleanly instead of touching the missing object.
  vx->InitWindowMode(64, 48, {}, 0, 1, 0, 0);
  EXPECT_EQ(vx->Device, nullptr);
  EXPECT_TRUE(HasText("Direct3DDeviceオブジェクトの生成に失敗しました(Error Code = D3DERR_INVALIDCALL )"));
  vx.reset();
  EXPECT_TRUE(HasText("それではごきげんよう"));
}

TEST_F(VextralTest, DebugOptionAppliesToTheSwitchesAtOnce) {
  TVextral vx(&m_window);
  EXPECT_EQ(vx.DebugOption(), kAllDebugOptions);
  vx.SetDebugOption(TVXDebugOption{});
  EXPECT_FALSE(HaltOnErrorSwitch || DebugMessageSwitch || DetailedLogSwitch);
  vx.SetDebugOption(TVXDebugOption::FromBits(0x05));
  EXPECT_TRUE(HaltOnErrorSwitch);
  EXPECT_FALSE(DebugMessageSwitch);
  EXPECT_TRUE(DetailedLogSwitch);
  // The game runs with everything off: nothing is written at all.
  vx.SetDebugOption(TVXDebugOption{});
  vx.Loaded();
  EXPECT_NE(vx.Device, nullptr);
  EXPECT_FALSE(std::filesystem::exists(DebugLogPath()));
}

TEST_F(VextralTest, FloatingPointExceptionsAreMasked) {
  auto vx = Start();
#if defined(__x86_64__) || defined(__i386__)
  EXPECT_EQ(_mm_getcsr() & 0x1F80u, 0x1F80u);
  uint16_t controlWord = 0;
  __asm__ __volatile__("fnstcw %0" : "=m"(controlWord));
  EXPECT_EQ(controlWord & 0x1F3Fu, 0x133Fu);
#endif
  volatile double zero = 0.0;
  EXPECT_TRUE(std::isinf(1.0 / zero));  // no trap
}
