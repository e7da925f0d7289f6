// The small vocabulary of drawing: colour values, line caps and joins, text rendering modes.
#pragma once

#include <cstdint>

namespace kelvora::pdf
{

// 0x00BBGGRR, red in the lowest byte; 0 and below are black.
using TPdfColor = std::int32_t;

enum class TLineCapStyle { lcButt_End, lcRound_End, lcProjectingSquareEnd };
enum class TLineJoinStyle { ljMiterJoin, ljRoundJoin, ljBevelJoin };
enum class TTextRenderingMode {
    trFill,
    trStroke,
    trFillThenStroke,
    trInvisible,
    trFillClipping,
    trStrokeClipping,
    trFillStrokeClipping,
    trClipping
};

} // namespace kelvora::pdf
