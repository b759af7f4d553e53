#pragma once

#include "convert/choice_word.h"

namespace gbkhex {

// The sets of characters that output may be held to. Gbk: every character that
// code page 936 encodes exactly. Gb2312: of those, ASCII and the characters of
// GB2312, which many display controllers' font ROMs hold and nothing more. The
// codec of both is convert/gbk_codec.h.
enum class Charset { Gbk, Gb2312 };

// The words of --charset.
inline constexpr ChoiceWord<Charset> kCharsetWords[] = {{Charset::Gbk, "gbk"},
                                                        {Charset::Gb2312, "gb2312"}};

}  // namespace gbkhex
