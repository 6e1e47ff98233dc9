#include "app/picture_store.h"
#include <QImage>

namespace {
const Stored_Picture* g_table = nullptr; // Pic_Count entries when set
const unsigned char* g_bits = nullptr;
} // namespace

void Install_Stored_Pictures(const Stored_Picture* table, int count, const unsigned char* bits) {
    // A store drawn for another list of pictures would hand out wrong ones.
    if (count != Pic_Count) return;
    g_table = table;
    g_bits = bits;
}

void Remove_Stored_Pictures() {
    g_table = nullptr;
    g_bits = nullptr;
}

QPixmap Picture(Pic id) {
    const int k = static_cast<int>(id);
    if (!g_table || k < 0 || k >= Pic_Count) return Draw_Picture(id);
    const Stored_Picture& s = g_table[k];
    // The image only borrows the stored pixels; the pixmap takes its own copy,
    // in the format it was drawn in.
    const QImage image(g_bits + s.offset, s.width, s.height, s.bytes_per_line,
                       static_cast<QImage::Format>(s.format));
    return QPixmap::fromImage(image, Qt::NoFormatConversion);
}
