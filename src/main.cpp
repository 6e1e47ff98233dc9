#include "app/quorlen.h"
#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Quorlen& main = Quorlen::get();
    if (main.Is_Unloaded()) return 0;
    main.show();
    return app.exec();
}
