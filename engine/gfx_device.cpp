// PLACEHOLDER graphics area: no device yet; drawing operations return their "nothing" values.
#include "engine/graphics.h"

#include "engine/tvk_impl.h"

bool Graphics::CreateDevice() { return true; }
void Graphics::ReleaseDevice() {}
bool Graphics::HasInterface() const { return false; }
bool Graphics::HasDevice() const { return false; }
bool Graphics::InScene() const { return false; }
void Graphics::SwitchWindowed(bool) {}
void Graphics::ApplyTextureFilter() {}
void Graphics::ApplyFpsSignChange(int) {}
void Graphics::ResizeBackBuffer(int, int) {}
void Graphics::SaveShot(const char*) {}

bool TVK_Impl::Gfx_BeginScene(TargetHandle) { return false; }
void TVK_Impl::Gfx_EndScene() {}
void TVK_Impl::Gfx_Clear(uint32_t) {}
void TVK_Impl::Gfx_DrawLine(float, float, float, float, uint32_t, float) {}
void TVK_Impl::Gfx_DrawTriangle(const Triangle*) {}
void TVK_Impl::Gfx_DrawQuad(const Quad*) {}
Vertex* TVK_Impl::Gfx_OpenBatch(int, TextureHandle, int, int*) { return nullptr; }
void TVK_Impl::Gfx_CloseBatch(int) {}
void TVK_Impl::Gfx_SetClipRect(int, int, int, int) {}
void TVK_Impl::Gfx_SetViewTransform(float, float, float, float, float, float, float) {}
TargetHandle TVK_Impl::Target_Create(int, int, bool) { return 0; }
void TVK_Impl::Target_Free(TargetHandle) {}
TextureHandle TVK_Impl::Target_GetTexture(TargetHandle) { return 0; }
TextureHandle TVK_Impl::Texture_Create(int, int) { return 0; }
TextureHandle TVK_Impl::Texture_Load(const char*, uint32_t, bool) { return 0; }
void TVK_Impl::Texture_Free(TextureHandle) {}
int TVK_Impl::Texture_GetWidth(TextureHandle, bool) { return 0; }
int TVK_Impl::Texture_GetHeight(TextureHandle, bool) { return 0; }
uint32_t* TVK_Impl::Texture_Lock(TextureHandle, bool, int, int, int, int) { return nullptr; }
void TVK_Impl::Texture_Unlock(TextureHandle) {}
