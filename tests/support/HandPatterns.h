#pragma once

// Cutting patterns and their mark records filled in by hand, for the report tests.

#include <cstdint>
#include <utility>
#include <vector>

#include "engine/Job.h"

inline WireCombine Pattern(double barLength, int64_t bars, double utilisation, double remnant,
                           std::vector<double> lengths, std::vector<int64_t> counts)
{
    WireCombine pattern;
    pattern.m_barLength = barLength;
    pattern.m_barCount = bars;
    pattern.m_utilisation = utilisation;
    pattern.m_remnant = remnant;
    pattern.m_pieceLength = std::move(lengths);
    pattern.m_pieceCount = std::move(counts);
    return pattern;
}

inline WireCombine_Mark Record(int64_t bars, std::vector<double> lengths, std::vector<int64_t> counts,
                               std::vector<MyString> marks)
{
    WireCombine_Mark record;
    record.m_barCount = bars;
    record.m_pieceLength = std::move(lengths);
    record.m_pieceCount = std::move(counts);
    record.m_pieceMark = std::move(marks);
    return record;
}
