#include "app/picture_store.h"
#include "app/quorlen.h"
#include "platform/application.h"
#include "platform/host.h"

int main(int argc, char** argv) {
    Host_Fonts_Prepare();
    Quorlen_Application app(argc, argv);
    Install_Build_Pictures();
    Quorlen& main = Quorlen::get();
    if (main.Unloaded()) return 0;
    main.show();
    return app.exec();
}
