#pragma once
// The current sequence: 8 steps of 13 notes, its tempo and base note, and
// the ".SEQ" files that hold it.
#include <QString>
#include <array>
#include <cstdint>
#include <functional>

class QPainter;
class QPixmap;

using Seq_Grid = std::array<std::uint8_t, 104>; // cell = step * 13 + row
extern Seq_Grid Seq_Data;
extern std::int16_t Seq_BPM;         // beats per minute
extern std::uint8_t Seq_Base_Note;   // note of grid row 12
extern std::int16_t Seq_Range_Index; // range list index, kept while the window is closed
extern std::uint8_t Seq_Loaded;      // 255 once a file was read
extern QString Seq_Name;             // how the caption names Seq_File; "" for none
extern QString Seq_File;             // full path, "" until opened or saved

inline constexpr int Seq_File_Size = 110;

void New_SEQ();
// mode "Open" (any letter case) is a real open; anything else a preview.
void Load_SEQ(const QString& path, const QString& mode);
// Writes the sequence to file (the current Seq_File); false when the file
// could not be written, and the old file is then left as it was. A caller
// that reports the failure itself gets its error number in err; without
// err the failure is shown in a box here.
bool Save_SEQ(const QString& file, int* err = nullptr);

// "Sequencer", or "Sequencer - " and the file name in upper case.
QString Seq_Caption();
// The range list index for a base note: |(base - 24) / 12|, halves to even.
int Seq_Range_Of(int base_note);
// The 110 bytes of the file image of the current sequence.
QByteArray Seq_File_Image();

// Draws a grid into the file dialog's preview: 8 x 8 pixels a cell, cell
// pictures 0 (empty), 2 (full) and 3 (soft) of pics.
void Seq_Preview_Paint(QPainter& p, const Seq_Grid& grid, const std::array<QPixmap, 4>& pics);
// Set by the file dialog while it is open: redraws its sequence preview.
extern std::function<void()> FD_SEQ_Preview_Draw;
// Back to the values at program start.
void Sequence_Reset();
