#include "discovery/HandleListing.h"

#include "app/shared/Memo.h"
#include "platform/Pc.h"

namespace discovery {

struct HandleListing::Impl {
    platform::IPc& pc;
    ui::Memo& view;
};

HandleListing::HandleListing(platform::IPc& pc, ui::Memo& serviceView, QObject* parent)
    : QObject(parent), d(new Impl{pc, serviceView}) {}
HandleListing::~HandleListing() { delete d; }
void HandleListing::start(const QString&) { d->view.clearLines(); }
bool HandleListing::isRunning() const { return false; }
QStringList HandleListing::lines() const { return d->view.lines(); }
HandleLine parseHandleLine(const QString&) { return {}; }

}  // namespace discovery
