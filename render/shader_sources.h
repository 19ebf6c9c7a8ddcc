// GLSL 330 sources of the renderer's six shader programs, kept in the program
// (only fonts and the settings file are read from disk). The bright, blur,
// post and chrome programs have fragment stages only and run on raylib's
// default vertex stage.
#pragma once

extern const char* const kLitVertexSource;
extern const char* const kLitFragmentSource;
extern const char* const kDepthVertexSource;
extern const char* const kDepthFragmentSource;
extern const char* const kBrightFragmentSource;
extern const char* const kBlurFragmentSource;
extern const char* const kPostFragmentSource;
extern const char* const kChromeFragmentSource;
