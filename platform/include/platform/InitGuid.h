// Include after platform/Ole.h and before a header full of DEFINE_GUID lines
// to define those GUIDs in this translation unit instead of declaring them.
#pragma once

#ifdef _WIN32
#include <initguid.h>
#else
#undef DEFINE_GUID
#define DEFINE_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
    EXTERN_C const GUID name;                                        \
    EXTERN_C const GUID name = {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}}
#endif
