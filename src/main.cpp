#include "app/picture_store.h"
#include "app/quorlen.h"
#include "platform/host.h"
#include <QApplication>

int main(int argc, char** argv) {
    Host_Fonts_Prepare();
    QApplication app(argc, argv);
    Install_Build_Pictures();
    Quorlen& main = Quorlen::get();
    if (main.Is_Unloaded()) return 0;
    main.show();
    return app.exec();
}
