// Sound operations. The audio library is not bound yet, so every operation answers as it
// does without the library: loads and plays give 0, getters -1 or false, setters nothing.
#include "engine/tvk_impl.h"

EffectHandle TVK_Impl::Effect_Load(const char*, uint32_t) { return 0; }
void TVK_Impl::Effect_Free(EffectHandle) {}
ChannelHandle TVK_Impl::Effect_Play(EffectHandle) { return 0; }
ChannelHandle TVK_Impl::Effect_PlayTuned(EffectHandle, int, int, float, bool) { return 0; }
MusicHandle TVK_Impl::Music_Load(const char*, uint32_t) { return 0; }
void TVK_Impl::Music_Free(MusicHandle) {}
ChannelHandle TVK_Impl::Music_Play(MusicHandle, bool, int, int, int) { return 0; }
void TVK_Impl::Music_SetAmplify(MusicHandle, int) {}
int TVK_Impl::Music_GetAmplify(MusicHandle) { return -1; }
int TVK_Impl::Music_GetOrderCount(MusicHandle) { return -1; }
void TVK_Impl::Music_SetOrderRow(MusicHandle, int, int) {}
bool TVK_Impl::Music_GetOrderRow(MusicHandle, int*, int*) { return false; }
void TVK_Impl::Music_SetInstrumentVolume(MusicHandle, int, int) {}
int TVK_Impl::Music_GetInstrumentVolume(MusicHandle, int) { return -1; }
void TVK_Impl::Music_SetTrackVolume(MusicHandle, int, int) {}
int TVK_Impl::Music_GetTrackVolume(MusicHandle, int) { return -1; }
StreamHandle TVK_Impl::Stream_Load(const char*, uint32_t) { return 0; }
void TVK_Impl::Stream_Free(StreamHandle) {}
ChannelHandle TVK_Impl::Stream_Play(StreamHandle, bool, int) { return 0; }
void TVK_Impl::Channel_SetPan(ChannelHandle, int) {}
void TVK_Impl::Channel_SetVolume(ChannelHandle, int) {}
void TVK_Impl::Channel_SetPitch(ChannelHandle, float) {}
void TVK_Impl::Channel_Pause(ChannelHandle) {}
void TVK_Impl::Channel_Resume(ChannelHandle) {}
void TVK_Impl::Channel_Stop(ChannelHandle) {}
void TVK_Impl::Channel_PauseAll() {}
void TVK_Impl::Channel_ResumeAll() {}
void TVK_Impl::Channel_StopAll() {}
bool TVK_Impl::Channel_IsActive(ChannelHandle) { return false; }
float TVK_Impl::Channel_GetLength(ChannelHandle) { return -1.0f; }
float TVK_Impl::Channel_GetPosition(ChannelHandle) { return -1.0f; }
void TVK_Impl::Channel_SetPosition(ChannelHandle, float) {}
void TVK_Impl::Channel_Slide(ChannelHandle, float, int, int, float) {}
bool TVK_Impl::Channel_IsSliding(ChannelHandle) { return false; }
