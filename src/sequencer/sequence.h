#pragma once
// The current sequence: 8 steps of 13 notes.
#include <QString>
#include <array>
#include <cstdint>

using Seq_Grid = std::array<std::uint8_t, 104>; // cell = step * 13 + row
extern Seq_Grid Seq_Data;
extern QString Seq_File;

void New_SEQ();
void Load_SEQ(const QString& file, const QString& mode);
void Save_SEQ(const QString& file);
