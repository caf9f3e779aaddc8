// The scene: queue choice and order, the depth sort and its order of equal
// keys, capacity growth, state caching, sampler filters, the blend-operation
// capability, the alpha-test reset, viewport and projection, and frames drawn
// by the software device compared pixel by pixel.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "recording_device.h"
#include "scene/nqlib9.h"
#include "scene_fixture.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;

// A 4 x 4 quad whose first vertex sits at (tag, 0): the tag names the quad
// in the recorded draws.
std::vector<TNQVertex> TaggedQuad(float tag, uint32_t colour = kWhite) {
  return {MakeVertex(tag, 0, colour, 0, 0), MakeVertex(tag + 4, 0, colour, 1, 0), MakeVertex(tag, 4, colour, 0, 1),
          MakeVertex(tag + 4, 4, colour, 1, 1)};
}

// A quad covering [x0, x1) x [y0, y1) at the origin.
std::vector<TNQVertex> Rect(float x0, float y0, float x1, float y1, uint32_t colour) {
  return {MakeVertex(x0, y0, colour, 0, 0), MakeVertex(x1, y0, colour, 1, 0), MakeVertex(x0, y1, colour, 0, 1),
          MakeVertex(x1, y1, colour, 1, 1)};
}

class SceneTest : public WrapperTest {
 protected:
  void SetUp() override {
    WrapperTest::SetUp();
    StartWrapper();
    m_scene = std::make_unique<TNQScene>(m_vx.get(), "");
  }
  void TearDown() override {
    m_scene.reset();
    WrapperTest::TearDown();
  }

  void Quad(float tag, int32_t mode, float z, bool overlay = false, uint8_t filter = 0, TVXTexture* tex = nullptr) {
    m_scene->DrawQuad(MakeVector2(0, 0), TaggedQuad(tag), tex, mode, filter, overlay, z);
  }
  // Renders the queued quads inside a frame and returns the tags in drawing order.
  std::vector<float> RenderAndTags(TRecordingDevice& rec) {
    BeginFrame(kWhite);
    m_scene->Render();
    EndFrame();
    std::vector<float> tags;
    for (const auto& d : rec.Draws()) tags.push_back(d.Vertices[0].X);
    return tags;
  }

  std::unique_ptr<TNQScene> m_scene;
};

// ---------------------------------------------------------------------------
// Makers
// ---------------------------------------------------------------------------

TEST(MathPackTest, MakeARGBTakesTheLowByteOfEachArgument) {
  EXPECT_EQ(MakeARGB(0x12, 0x34, 0x56, 0x78), 0x12345678u);
  EXPECT_EQ(MakeARGB(0x1FF, -1, 0x100, 0x2AB), 0xFFFF00ABu);
  EXPECT_EQ(MakeARGB(0, 0, 0, 0), 0u);
}

TEST(MathPackTest, MakeVertexAndVectorKeepTheFieldOrder) {
  const TNQVertex v = MakeVertex(1.5f, -2.0f, 0xAABBCCDDu, 0.25f, 0.75f);
  EXPECT_EQ(v.X, 1.5f);
  EXPECT_EQ(v.Y, -2.0f);
  EXPECT_EQ(v.Color, 0xAABBCCDDu);
  EXPECT_EQ(v.U, 0.25f);
  EXPECT_EQ(v.V, 0.75f);
  static_assert(offsetof(TNQVertex, Color) == 8 && offsetof(TNQVertex, V) == 16 && sizeof(TNQVertex) == 20);
  const TVector2 p = MakeVector2(3, 4);
  EXPECT_EQ(p.X, 3.0f);
  EXPECT_EQ(p.Y, 4.0f);
}

// ---------------------------------------------------------------------------
// Creation and device state
// ---------------------------------------------------------------------------

TEST_F(SceneTest, CreationFillsTheTableAndAppliesViewportAndProjection) {
  ASSERT_EQ(m_scene->BlendModes().size(), 6u);
  EXPECT_FALSE(m_scene->BlendModes()[0].Sorted);
  EXPECT_TRUE(m_scene->BlendModes()[2].Sorted);
  EXPECT_EQ(m_scene->BlendModes()[1].DestBlend, D3DBLEND_ONE);
  EXPECT_EQ(m_scene->BlendModes()[3].SrcBlend, D3DBLEND_ZERO);
  EXPECT_EQ(m_scene->BlendModes()[4].DestBlend, D3DBLEND_SRCCOLOR);
  EXPECT_TRUE(m_scene->BlendModes()[5].AlphaTest);
  EXPECT_EQ(m_scene->BlendModes()[5].AlphaFunc, D3DCMP_GREATER);

  D3DVIEWPORT9 vp{};
  m_vx->Device->GetViewport(&vp);
  EXPECT_EQ(vp.X, 0u);
  EXPECT_EQ(vp.Y, 0u);
  EXPECT_EQ(vp.Width, 64u);
  EXPECT_EQ(vp.Height, 48u);
  EXPECT_EQ(vp.MaxZ, 1.0f);

  D3DMATRIX proj{};
  m_vx->Device->GetTransform(D3DTS_PROJECTION, &proj);
  EXPECT_NEAR(proj._11, 48.0f / 64.0f, 1e-6);  // aspect x cot(45 degrees)
  EXPECT_NEAR(proj._22, 1.0f, 1e-6);
  EXPECT_NEAR(proj._33, 10000.0f / (10000.0f - 0.01f), 1e-6);
  EXPECT_EQ(proj._34, 1.0f);
  EXPECT_NEAR(proj._43, -0.01f * 10000.0f / (10000.0f - 0.01f), 1e-6);
  EXPECT_EQ(proj._44, 0.0f);
  EXPECT_NEAR(m_scene->FovX(), std::atan(64.0f / 48.0f), 1e-6);
  EXPECT_EQ(m_scene->FovY(), 1.5707964f);
  EXPECT_TRUE(m_scene->BlendOpSupported());
}

TEST_F(SceneTest, RegistersWithTheWrapperAndUnregistersWhenDestroyed) {
  ASSERT_EQ(m_vx->ResourceList.size(), 1u);
  const TVXResourceDesc& desc = *m_vx->ResourceList[0];
  EXPECT_EQ(desc.ID, m_scene->ResourceID());
  EXPECT_STREQ(desc.Resource->ClassName(), "TNQScene");
  EXPECT_FALSE(desc.OnRelease);
  EXPECT_TRUE(desc.OnRebuild);
  EXPECT_FALSE(desc.OnDeviceLost);
  EXPECT_TRUE(desc.OnDeviceReset);
  m_scene.reset();
  EXPECT_TRUE(m_vx->ResourceList.empty());
}

TEST_F(SceneTest, ANewDeviceGetsTheStoredViewportAndProjection) {
  m_scene->SetViewport(8, 4, 40, 36);
  m_scene->SetProjection(1.0f, 0.5f, 1.0f, 100.0f);
  // A new device starts with its own defaults; the rebuild hook restores ours.
  m_vx->InitWindowMode(64, 48, {}, D3DPRESENT_INTERVAL_DEFAULT, D3DSWAPEFFECT_DISCARD, D3DMULTISAMPLE_NONE, 0);
  ASSERT_NE(m_vx->Device, nullptr);
  D3DVIEWPORT9 vp{};
  m_vx->Device->GetViewport(&vp);
  EXPECT_EQ(vp.X, 8u);
  EXPECT_EQ(vp.Y, 4u);
  EXPECT_EQ(vp.Width, 32u);
  EXPECT_EQ(vp.Height, 32u);
  D3DMATRIX proj{};
  m_vx->Device->GetTransform(D3DTS_PROJECTION, &proj);
  EXPECT_EQ(std::memcmp(&proj, &m_scene->Projection(), sizeof proj), 0);
  EXPECT_NEAR(proj._22, std::cos(0.5f) / std::sin(0.5f), 1e-6);
}

TEST_F(SceneTest, TheCapabilityIsReadAgainOnRebuild) {
  EXPECT_TRUE(m_scene->BlendOpSupported());
  SoftwareD3DConfig().BlendOpCap = false;
  m_vx->RebuildAllResources();
  EXPECT_FALSE(m_scene->BlendOpSupported());
}

TEST_F(SceneTest, AddBlendModeAppendsAtTheNextIndex) {
  m_scene->AddBlendMode({false, false, D3DCMP_ALWAYS, true, D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_MAX});
  ASSERT_EQ(m_scene->BlendModes().size(), 7u);
  TRecordingDevice rec(*m_vx);
  Quad(10, 6, 0.5f);
  EXPECT_EQ(m_scene->OpaqueQueue().Count(), 1);  // not sorted: opaque queue
  RenderAndTags(rec);
  EXPECT_EQ(rec.RenderStateWrites(D3DRS_BLENDOP), std::vector<DWORD>{D3DBLENDOP_MAX});
}

// ---------------------------------------------------------------------------
// Queues and order
// ---------------------------------------------------------------------------

TEST_F(SceneTest, InvalidSubmissionsQueueNothing) {
  const std::vector<TNQVertex> three = {MakeVertex(0, 0, kWhite, 0, 0), MakeVertex(1, 0, kWhite, 0, 0),
                                        MakeVertex(0, 1, kWhite, 0, 0)};
  m_scene->DrawQuad(MakeVector2(0, 0), three, nullptr, 0, 0, false, 0.5f);
  m_scene->DrawQuad(MakeVector2(0, 0), TaggedQuad(1), nullptr, 6, 0, false, 0.5f);
  m_scene->DrawQuad(MakeVector2(0, 0), TaggedQuad(1), nullptr, -1, 0, true, 0.5f);
  m_scene->DrawSprite(MakeVector2(0, 0), kWhite, nullptr, 2, 0, false, 0.5f);
  EXPECT_EQ(m_scene->OpaqueQueue().Count() + m_scene->SortedQueue().Count() + m_scene->OverlayQueue().Count(), 0);
}

TEST_F(SceneTest, QueuesAreDrawnOpaqueThenSortedThenOverlay) {
  TRecordingDevice rec(*m_vx);
  Quad(30, kBlendTranslucent, 0.5f, /*overlay=*/true);
  Quad(20, kBlendTranslucent, 0.5f);
  Quad(10, kBlendOpaque, 0.5f);
  Quad(31, kBlendOpaque, 0.7f, /*overlay=*/true);
  Quad(11, kBlendCutOut, 0.5f);
  EXPECT_EQ(m_scene->OverlayQueue().Count(), 2);
  EXPECT_EQ(m_scene->OverlayQueue().Item(0).Z, 0.0f);  // overlay quads sit at depth 0
  EXPECT_EQ(m_scene->SortedQueue().Count(), 1);
  EXPECT_EQ(m_scene->OpaqueQueue().Count(), 2);
  EXPECT_EQ(RenderAndTags(rec), (std::vector<float>{10, 11, 20, 30, 31}));
  EXPECT_EQ(m_scene->OpaqueQueue().Count() + m_scene->SortedQueue().Count() + m_scene->OverlayQueue().Count(), 0);
}

TEST_F(SceneTest, EqualDepthsComeOutInTheQuicksortsOrder) {
  {
    TRecordingDevice rec(*m_vx);
    Quad(1, kBlendTranslucent, 0.5f);  // A
    Quad(2, kBlendTranslucent, 0.5f);  // B
    Quad(3, kBlendTranslucent, 0.5f);  // C
    Quad(4, kBlendTranslucent, 0.5f);  // D
    EXPECT_EQ(RenderAndTags(rec), (std::vector<float>{3, 4, 1, 2}));
  }
  {
    TRecordingDevice rec(*m_vx);
    Quad(1, kBlendTranslucent, 0.5f);
    Quad(2, kBlendTranslucent, 0.5f);
    EXPECT_EQ(RenderAndTags(rec), (std::vector<float>{2, 1}));
  }
}

TEST_F(SceneTest, SortedQuadsAreDrawnFarthestFirst) {
  TRecordingDevice rec(*m_vx);
  Quad(2, kBlendTranslucent, 0.2f);
  Quad(9, kBlendAdditive, 0.9f);
  Quad(5, kBlendMultiply, 0.5f);
  const auto tags = RenderAndTags(rec);
  EXPECT_EQ(tags, (std::vector<float>{9, 5, 2}));
  std::vector<float> depths;
  for (const auto& d : rec.Draws()) depths.push_back(d.Vertices[0].Z);
  EXPECT_EQ(depths, (std::vector<float>{0.9f, 0.5f, 0.2f}));
}

TEST_F(SceneTest, ManyDepthsSortDescending) {
  TRecordingDevice rec(*m_vx);
  // A fixed scramble of 50 distinct depths.
  for (int i = 0; i < 50; ++i) Quad(static_cast<float>((i * 37) % 50), kBlendTranslucent, ((i * 37) % 50) / 64.0f);
  const auto tags = RenderAndTags(rec);
  ASSERT_EQ(tags.size(), 50u);
  for (size_t i = 0; i < tags.size(); ++i) EXPECT_EQ(tags[i], static_cast<float>(49 - i));
}

TEST_F(SceneTest, NegativeDepthIsNotDrawnExceptAsOverlay) {
  TRecordingDevice rec(*m_vx);
  Quad(1, kBlendTranslucent, -1.0f);
  Quad(2, kBlendOpaque, -1.0f);
  Quad(3, kBlendOpaque, -1.0f, /*overlay=*/true);
  Quad(4, kBlendTranslucent, 0.0f);
  const auto tags = RenderAndTags(rec);
  EXPECT_EQ(tags, (std::vector<float>{4, 3}));
  const auto all = rec.Draws();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[1].Vertices[0].Z, 0.0f);
}

TEST_F(SceneTest, TheThirtyThirdQuadDoublesTheCapacityForGood) {
  TRecordingDevice rec(*m_vx);
  EXPECT_EQ(m_scene->SortedQueue().Capacity(), 32);
  for (int i = 0; i < 32; ++i) Quad(static_cast<float>(i), kBlendTranslucent, 0.5f);
  EXPECT_EQ(m_scene->SortedQueue().Capacity(), 32);
  Quad(32, kBlendTranslucent, 0.5f);
  EXPECT_EQ(m_scene->SortedQueue().Capacity(), 64);
  EXPECT_EQ(m_scene->SortedQueue().Count(), 33);
  EXPECT_EQ(RenderAndTags(rec).size(), 33u);
  EXPECT_EQ(m_scene->SortedQueue().Count(), 0);
  EXPECT_EQ(m_scene->SortedQueue().Capacity(), 64);
  for (int i = 0; i < 65; ++i) Quad(static_cast<float>(i), kBlendOpaque, 0.5f);
  EXPECT_EQ(m_scene->OpaqueQueue().Capacity(), 128);
}

TEST_F(SceneTest, QuadsWaitForTheNextRender) {
  Quad(1, kBlendTranslucent, 0.5f);
  Quad(2, kBlendTranslucent, 0.4f);
  // A skipped frame (lost device) does not render; the next one draws both.
  TRecordingDevice rec(*m_vx);
  Quad(3, kBlendTranslucent, 0.3f);
  EXPECT_EQ(RenderAndTags(rec), (std::vector<float>{1, 2, 3}));
}

TEST_F(SceneTest, DeviceVerticesAreOffsetByTheDrawPosition) {
  TRecordingDevice rec(*m_vx);
  const std::vector<TNQVertex> v = {MakeVertex(1, 2, 0x11223344u, 0.1f, 0.2f), MakeVertex(5, 2, 2u, 0.3f, 0.2f),
                                    MakeVertex(1, 6, 3u, 0.1f, 0.4f), MakeVertex(5, 6, 4u, 0.3f, 0.4f)};
  m_scene->DrawQuad(MakeVector2(10.5f, 20.25f), v, nullptr, kBlendOpaque, 0, false, 0.25f);
  RenderAndTags(rec);
  const auto draws = rec.Draws();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].A, static_cast<DWORD>(D3DPT_TRIANGLESTRIP));
  EXPECT_EQ(draws[0].B, 2u);
  EXPECT_EQ(draws[0].C, 32u);
  const TNQDeviceVertex& d = draws[0].Vertices[0];
  EXPECT_EQ(d.X, 11.5f);
  EXPECT_EQ(d.Y, 22.25f);
  EXPECT_EQ(d.Z, 0.25f);
  EXPECT_EQ(d.Rhw, 0.5f);
  EXPECT_EQ(d.Diffuse, 0x11223344u);
  EXPECT_EQ(d.Specular, 0u);
  EXPECT_EQ(d.U, 0.1f);
  EXPECT_EQ(d.V, 0.2f);
  EXPECT_EQ(draws[0].Vertices[3].X, 15.5f);
  EXPECT_EQ(draws[0].Vertices[3].Y, 26.25f);
  const auto fvf = rec.Of(TRecordedCall::SetFvf);
  ASSERT_EQ(fvf.size(), 1u);
  EXPECT_EQ(fvf[0].A, 0x1C4u);
}

TEST_F(SceneTest, SpriteCoversTheImageNotTheSurface) {
  SoftwareD3DConfig().TexturePow2Only = true;
  m_vx->RebuildAllResources();
  auto tex = MakeTexture(100, 50, kWhite);
  ASSERT_EQ(tex->AllocWidth, 128u);
  m_scene->DrawSprite(MakeVector2(3, 4), 0x80FF0000u, tex.get(), kBlendOpaque, 1, false, 0.5f);
  ASSERT_EQ(m_scene->OpaqueQueue().Count(), 1);
  const TNQQuadItem& item = m_scene->OpaqueQueue().Item(0);
  EXPECT_EQ(item.Texture, tex.get());
  EXPECT_EQ(item.X, 3.0f);
  EXPECT_EQ(item.Y, 4.0f);
  EXPECT_EQ(item.Filter, 1);
  const float expected[4][4] = {{0, 0, 0, 0}, {100, 0, 0.78125f, 0}, {0, 50, 0, 0.78125f}, {100, 50, 0.78125f, 0.78125f}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(item.Vertices[i].X, expected[i][0]) << i;
    EXPECT_EQ(item.Vertices[i].Y, expected[i][1]) << i;
    EXPECT_EQ(item.Vertices[i].U, expected[i][2]) << i;
    EXPECT_EQ(item.Vertices[i].V, expected[i][3]) << i;
    EXPECT_EQ(item.Vertices[i].Color, 0x80FF0000u);
  }
  m_scene->Render();  // outside a scene: the device refuses the draw, the queue still empties
  EXPECT_EQ(m_scene->OpaqueQueue().Count(), 0);
}

// ---------------------------------------------------------------------------
// State writes
// ---------------------------------------------------------------------------

TEST_F(SceneTest, AFlushWithoutItemsWritesTheInitialStatesButLeavesFiltersAlone) {
  m_vx->Device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_ANISOTROPIC);
  TRecordingDevice rec(*m_vx);
  m_scene->OpaqueQueue().Flush(false);
  EXPECT_TRUE(rec.Of(TRecordedCall::SetSamplerState).empty());
  EXPECT_TRUE(rec.Of(TRecordedCall::GetSamplerState).empty());
  EXPECT_TRUE(rec.Draws().empty());
  EXPECT_EQ(rec.RenderStateWrites(D3DRS_SPECULARENABLE), std::vector<DWORD>{TRUE});
  EXPECT_EQ(rec.RenderStateWrites(D3DRS_LIGHTING), std::vector<DWORD>{TRUE});
  EXPECT_EQ(rec.RenderStateWrites(D3DRS_FILLMODE), std::vector<DWORD>{D3DFILL_SOLID});
  EXPECT_EQ(rec.RenderStateWrites(D3DRS_WRAP0), std::vector<DWORD>{0});
  EXPECT_EQ(rec.RenderStateWrites(D3DRS_ALPHABLENDENABLE), std::vector<DWORD>{FALSE});
  EXPECT_EQ(rec.RenderStateWrites(D3DRS_ZENABLE), std::vector<DWORD>{TRUE});
  EXPECT_EQ(rec.RenderStateWrites(D3DRS_ZWRITEENABLE), std::vector<DWORD>{TRUE});
  const auto stage = rec.Of(TRecordedCall::SetStageState);
  ASSERT_EQ(stage.size(), 6u);
  const DWORD order[6][2] = {{D3DTSS_COLORARG1, D3DTA_TEXTURE}, {D3DTSS_COLORARG2, D3DTA_DIFFUSE},
                             {D3DTSS_COLOROP, D3DTOP_MODULATE}, {D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
                             {D3DTSS_ALPHAARG2, D3DTA_DIFFUSE}, {D3DTSS_ALPHAOP, D3DTOP_MODULATE}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(stage[i].B, order[i][0]);
    EXPECT_EQ(stage[i].C, order[i][1]);
  }
  DWORD mag = 0;
  m_vx->Device->GetSamplerState(0, D3DSAMP_MAGFILTER, &mag);
  EXPECT_EQ(mag, static_cast<DWORD>(D3DTEXF_ANISOTROPIC));
  // A sorted flush whose every quad is behind the eye draws nothing and
  // leaves the filters alone too.
  Quad(1, kBlendTranslucent, -0.5f);
  rec.Calls.clear();
  m_scene->SortedQueue().Flush(true);
  EXPECT_TRUE(rec.Of(TRecordedCall::SetSamplerState).empty());
}

TEST_F(SceneTest, FiltersAreSavedSetPerItemAndRestored) {
  m_vx->Device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_ANISOTROPIC);
  m_vx->Device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_NONE);
  TRecordingDevice rec(*m_vx);
  Quad(1, kBlendOpaque, 0.5f, false, 0);
  Quad(2, kBlendOpaque, 0.5f, false, 0);
  Quad(3, kBlendOpaque, 0.5f, false, 7);
  Quad(4, kBlendOpaque, 0.5f, false, 1);  // another linear byte: written again
  Quad(5, kBlendOpaque, -1.0f, false, 0);  // not drawn, its filter still set
  RenderAndTags(rec);
  EXPECT_EQ(rec.SamplerWrites(D3DSAMP_MAGFILTER),
            (std::vector<DWORD>{D3DTEXF_POINT, D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_POINT, D3DTEXF_ANISOTROPIC}));
  EXPECT_EQ(rec.SamplerWrites(D3DSAMP_MINFILTER),
            (std::vector<DWORD>{D3DTEXF_POINT, D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_POINT, D3DTEXF_NONE}));
  DWORD mag = 0, min = 0;
  m_vx->Device->GetSamplerState(0, D3DSAMP_MAGFILTER, &mag);
  m_vx->Device->GetSamplerState(0, D3DSAMP_MINFILTER, &min);
  EXPECT_EQ(mag, static_cast<DWORD>(D3DTEXF_ANISOTROPIC));
  EXPECT_EQ(min, static_cast<DWORD>(D3DTEXF_NONE));
}

TEST_F(SceneTest, EqualConsecutiveQuadsCauseNoStateWrites) {
  auto tex = MakeTexture(8, 8, kWhite);
  TRecordingDevice rec(*m_vx);
  Quad(1, kBlendOpaque, 0.5f, false, 1, tex.get());
  Quad(2, kBlendOpaque, 0.5f, false, 1, tex.get());
  Quad(3, kBlendOpaque, 0.5f, false, 1, tex.get());
  m_scene->OpaqueQueue().Flush(false);
  // Between the first and the last draw only the vertex format and the draws themselves.
  size_t first = 0, last = 0;
  for (size_t i = 0; i < rec.Calls.size(); ++i) {
    if (rec.Calls[i].Kind != TRecordedCall::Draw) continue;
    if (first == 0) first = i;
    last = i;
  }
  ASSERT_GT(last, first);
  for (size_t i = first + 1; i < last; ++i) {
    EXPECT_TRUE(rec.Calls[i].Kind == TRecordedCall::Draw || rec.Calls[i].Kind == TRecordedCall::SetFvf) << i;
  }
  // The first quad: texture bound once, specular and lighting off once.
  EXPECT_EQ(rec.RenderStateWrites(D3DRS_SPECULARENABLE), (std::vector<DWORD>{TRUE, FALSE}));
  EXPECT_EQ(rec.RenderStateWrites(D3DRS_LIGHTING), (std::vector<DWORD>{TRUE, FALSE}));
  EXPECT_EQ(rec.RenderStateWrites(D3DRS_FILLMODE), (std::vector<DWORD>{D3DFILL_SOLID}));
  const auto textures = rec.Of(TRecordedCall::SetTexture);
  ASSERT_EQ(textures.size(), 2u);
  EXPECT_EQ(textures[0].Texture, nullptr);
  EXPECT_EQ(textures[1].Texture, tex->Surface);
  m_vx->Device->SetTexture(0, nullptr);  // Render would unbind it; a bare flush leaves it bound
}

TEST_F(SceneTest, BlendModesAreAppliedWhenTheyChange) {
  TRecordingDevice rec(*m_vx);
  Quad(1, kBlendTranslucent, 0.9f);
  Quad(2, kBlendTranslucent, 0.8f);
  Quad(3, kBlendAdditive, 0.7f);
  m_scene->SortedQueue().Flush(true);
  EXPECT_EQ(rec.RenderStateWrites(D3DRS_SRCBLEND), (std::vector<DWORD>{D3DBLEND_SRCALPHA, D3DBLEND_SRCALPHA}));
  EXPECT_EQ(rec.RenderStateWrites(D3DRS_DESTBLEND), (std::vector<DWORD>{D3DBLEND_INVSRCALPHA, D3DBLEND_ONE}));
  EXPECT_EQ(rec.RenderStateWrites(D3DRS_BLENDOP), (std::vector<DWORD>{D3DBLENDOP_ADD, D3DBLENDOP_ADD}));
  EXPECT_EQ(rec.RenderStateWrites(D3DRS_ZWRITEENABLE), (std::vector<DWORD>{TRUE, FALSE, FALSE}));
}

TEST_F(SceneTest, WithoutTheCapabilityBlendOpIsNeverWritten) {
  SoftwareD3DConfig().BlendOpCap = false;
  TNQScene scene(m_vx.get(), "no blendop");
  EXPECT_FALSE(scene.BlendOpSupported());
  TRecordingDevice rec(*m_vx);
  for (int32_t mode = 0; mode < 6; ++mode) {
    scene.DrawQuad(MakeVector2(0, 0), TaggedQuad(static_cast<float>(mode)), nullptr, mode, 0, false, 0.5f);
    scene.DrawQuad(MakeVector2(0, 0), TaggedQuad(static_cast<float>(mode)), nullptr, mode, 0, true, 0.5f);
  }
  BeginFrame(kWhite);
  scene.Render();
  EndFrame();
  EXPECT_EQ(rec.Draws().size(), 12u);
  EXPECT_TRUE(rec.RenderStateWrites(D3DRS_BLENDOP).empty());
  EXPECT_FALSE(rec.RenderStateWrites(D3DRS_SRCBLEND).empty());
}

TEST_F(SceneTest, RenderFramesTheOverlayWithDepthStates) {
  TRecordingDevice rec(*m_vx);
  Quad(1, kBlendOpaque, 0.5f, true);
  RenderAndTags(rec);
  EXPECT_EQ(rec.RenderStateWrites(D3DRS_ZFUNC), (std::vector<DWORD>{D3DCMP_ALWAYS, D3DCMP_LESSEQUAL}));
  // Opaque, sorted, the overlay's FALSE, the overlay flush's TRUE, the final TRUE.
  EXPECT_EQ(rec.RenderStateWrites(D3DRS_ZENABLE), (std::vector<DWORD>{TRUE, TRUE, FALSE, TRUE, TRUE}));
  const auto transforms = rec.Of(TRecordedCall::SetTransform);
  ASSERT_EQ(transforms.size(), 1u);
  EXPECT_EQ(transforms[0].A, static_cast<DWORD>(D3DTS_VIEW));
  ASSERT_FALSE(rec.Calls.empty());
  EXPECT_EQ(rec.Calls.back().Kind, TRecordedCall::SetTexture);
  EXPECT_EQ(rec.Calls.back().Texture, nullptr);
  D3DMATRIX view{};
  m_vx->Device->GetTransform(D3DTS_VIEW, &view);
  EXPECT_EQ(view._11, 1.0f);
  EXPECT_EQ(view._41, 0.0f);
}

TEST_F(SceneTest, ClearForwardsToTheDevice) {
  TRecordingDevice rec(*m_vx);
  ASSERT_EQ(m_vx->Device->BeginScene(), D3D_OK);
  m_scene->Clear(D3DCLEAR_TARGET, 0xFF102030u, 1.0f, 0);
  EndFrame();
  const auto clears = rec.Of(TRecordedCall::Clear);
  ASSERT_EQ(clears.size(), 1u);
  EXPECT_EQ(clears[0].A, 0u);
  EXPECT_EQ(clears[0].B, D3DCLEAR_TARGET);
  EXPECT_EQ(m_capture.At(5, 5), 0x102030u);
}

// ---------------------------------------------------------------------------
// The alpha test after a cut-out quad
// ---------------------------------------------------------------------------

TEST_F(SceneTest, ModesWithoutAlphaTestSwitchItOff) {
  TRecordingDevice rec(*m_vx);
  Quad(1, kBlendCutOut, 0.5f);
  Quad(2, kBlendOpaque, 0.5f);
  m_scene->OpaqueQueue().Flush(false);
  // Flush start (off), the cut-out quad (on), the opaque quad (off again).
  EXPECT_EQ(rec.RenderStateWrites(D3DRS_ALPHATESTENABLE), (std::vector<DWORD>{FALSE, TRUE, FALSE}));
  EXPECT_EQ(rec.RenderStateWrites(D3DRS_ALPHAFUNC), std::vector<DWORD>{D3DCMP_GREATER});
  DWORD on = 1;
  m_vx->Device->GetRenderState(D3DRS_ALPHATESTENABLE, &on);
  EXPECT_EQ(on, static_cast<DWORD>(FALSE));
}

TEST_F(SceneTest, ADarkenQuadAfterACutOutQuadStillDrawsWhereItsAlphaIsZero) {
  // Darken multiplies the destination by (1 - source colour) whatever the
  // source alpha; a left-over alpha test (GREATER than 0) would drop it.
  m_scene->DrawQuad(MakeVector2(0, 0), Rect(0, 0, 8, 8, 0xFF00FF00u), nullptr, kBlendCutOut, 0, false, 0.5f);
  m_scene->DrawQuad(MakeVector2(0, 0), Rect(16, 0, 32, 16, 0x00FFFFFFu), nullptr, kBlendDarken, 0, false, 0.5f);
  // The same pair as overlay quads: one queue, one flush.
  m_scene->DrawQuad(MakeVector2(0, 24), Rect(0, 0, 8, 8, 0xFF00FF00u), nullptr, kBlendCutOut, 0, true, 0.5f);
  m_scene->DrawQuad(MakeVector2(0, 24), Rect(16, 0, 32, 16, 0x00FFFFFFu), nullptr, kBlendDarken, 0, true, 0.5f);
  BeginFrame(0xFF808080u);
  m_scene->Render();
  EndFrame();
  EXPECT_EQ(m_capture.At(4, 4), 0x00FF00u);
  EXPECT_EQ(m_capture.At(20, 8), 0x000000u);
  EXPECT_EQ(m_capture.At(40, 8), 0x808080u);
  EXPECT_EQ(m_capture.At(4, 28), 0x00FF00u);
  EXPECT_EQ(m_capture.At(20, 32), 0x000000u);
}

// ---------------------------------------------------------------------------
// Pixels
// ---------------------------------------------------------------------------

TEST_F(SceneTest, UntexturedQuadsShowTheirVertexColours) {
  m_scene->DrawQuad(MakeVector2(4, 4), Rect(0, 0, 10, 10, 0xFF2040C0u), nullptr, kBlendOpaque, 0, false, 0.5f);
  m_scene->DrawQuad(MakeVector2(20, 4), Rect(0, 0, 10, 10, 0x80FF0000u), nullptr, kBlendTranslucent, 0, false, 0.5f);
  BeginFrame(0xFF0000FFu);
  m_scene->Render();
  EndFrame();
  EXPECT_EQ(m_capture.At(8, 8), 0x2040C0u);
  EXPECT_EQ(m_capture.At(3, 3), 0x0000FFu);
  EXPECT_EQ(m_capture.At(14, 14), 0x0000FFu);  // right and bottom edges are outside (top-left rule)
  // Half red over blue: 0x80 * 255 / 255 red, blue scaled by (1 - 0x80/255).
  const uint32_t red = (0x80u * 0xFFu + 127) / 255;
  const uint32_t blue = (0x7Fu * 0xFFu + 127) / 255;
  const uint32_t px = m_capture.At(25, 8);
  EXPECT_NEAR(static_cast<int>((px >> 16) & 255), static_cast<int>(red), 1);
  EXPECT_EQ((px >> 8) & 255, 0u);
  EXPECT_NEAR(static_cast<int>(px & 255), static_cast<int>(blue), 1);
}

TEST_F(SceneTest, AFrameMatchesItsQuadsPixelByPixel) {
  // A 4 x 4 texture: opaque red, transparent, half green, opaque white.
  auto tex = MakeTexture(4, 4, 0xFFFF0000u);
  PutTexel(*tex, 1, 0, 0x00000000u);
  PutTexel(*tex, 2, 0, 0x8000FF00u);
  PutTexel(*tex, 3, 0, 0xFFFFFFFFu);
  // Point-sampled at scale 4: texel (x, y) covers pixels [4x, 4x+4) x [4y, 4y+4).
  const std::vector<TNQVertex> v = {MakeVertex(0, 0, 0xFFFFFF00u, 0, 0), MakeVertex(16, 0, 0xFFFFFF00u, 1, 0),
                                    MakeVertex(0, 16, 0xFFFFFF00u, 0, 1), MakeVertex(16, 16, 0xFFFFFF00u, 1, 1)};
  m_scene->DrawQuad(MakeVector2(8, 8), v, tex.get(), kBlendTranslucent, 0, false, 0.5f);
  BeginFrame(0xFF000080u);
  m_scene->Render();
  EndFrame();
  // Expected: texel x vertex colour (yellow), blended over navy by texel alpha.
  std::vector<uint32_t> expected(64 * 48, 0x000080u);
  const uint32_t texels[4] = {0xFFFF0000u, 0x00000000u, 0x8000FF00u, 0xFFFFFFFFu};
  for (int y = 8; y < 24; ++y) {
    for (int x = 8; x < 24; ++x) {
      const int tx = (x - 8) / 4;
      const int ty = (y - 8) / 4;
      const uint32_t t = ty == 0 ? texels[tx] : 0xFFFF0000u;
      const uint32_t a = t >> 24;
      const auto mix = [&](int shift, uint32_t vertex, uint32_t dst) {
        const uint32_t s = ((t >> shift) & 255) * vertex / 255;
        return (s * a + dst * (255 - a) + 127) / 255;
      };
      expected[static_cast<size_t>(y) * 64 + x] = mix(16, 255, 0) << 16 | mix(8, 255, 0) << 8 | mix(0, 0, 0x80);
    }
  }
  int mismatches = 0;
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) {
      const uint32_t got = m_capture.At(x, y);
      const uint32_t want = expected[static_cast<size_t>(y) * 64 + x];
      for (int s = 0; s < 24; s += 8) {
        if (std::abs(static_cast<int>((got >> s) & 255) - static_cast<int>((want >> s) & 255)) > 1) {
          if (++mismatches < 5) ADD_FAILURE() << "pixel " << x << "," << y << " got " << std::hex << got << " want " << want;
          break;
        }
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
