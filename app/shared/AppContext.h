#pragma once
// State shared by the tabs: the driver object and the connection (fields of the main window).
#include <QString>
#include <functional>
#include <memory>

#include "driver/Fptr.h"

namespace platform {
class IPc;
}
namespace discovery {
class HandleListing;
}

namespace ui {

class IUi;
class Memo;

struct ConnectionRecord {
    QString model;
    QString serial;
    QString eouPort;
};

struct AppContext {
    std::unique_ptr<drv::Fptr> fptr;  // the driver object `fptr`
    bool fptrOK = false;
    QString drvVer;
    QString progdir;  // with a trailing separator
    bool kkmConnected = false;
    QString comConnected;
    QString ipConnected;
    bool isP5 = false;
    ConnectionRecord record;

    IUi* ui = nullptr;
    platform::IPc* pc = nullptr;
    Memo* serviceView = nullptr;                        // mmoServ
    discovery::HandleListing* handleListing = nullptr;  // DosCommand_handle's listing
    // Resets every report view and read marker (the window's resetViews).
    std::function<void()> resetViews;
    // Refills the print option lists after a connection (the Сервис tab).
    std::function<void()> connectionChanged;
};

}  // namespace ui
