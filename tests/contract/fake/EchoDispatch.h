#pragma once
// A driver object for tests of the C interface: every parameter set is kept and read back by
// the getters, so a value that travels through the C library and back can be compared with
// the same value kept in process. Its operations:
//   open, close        opened flag
//   queryData          succeeds, leaves the parameters as they are
//   processJson        succeeds; LIBFPTR_PARAM_JSON_DATA answers the request itself
//   beep               sleeps LIBFPTR_PARAM_DURATION milliseconds (a library call that blocks)
//   report             fails with the code in LIBFPTR_PARAM_REPORT_TYPE and the description in
//                      LIBFPTR_PARAM_TEXT
// Any other member is unknown to it.
#include <QHash>

#include "driver/Dispatch.h"

namespace contract {

class EchoDispatch : public drv::IDispatch {
  public:
    std::optional<QVariant> constant(const QString& name) const override;
    std::optional<QVariant> invoke(const QString& method, const QVariantList& args) override;

    static inline const QString kVersion = QStringLiteral("10.99.0.1-эхо");

  private:
    int fail(int code, const QString& description);
    int ok();
    QVariant param(const char* name) const;

    QHash<int, QVariant> params_;
    QHash<int, QVariant> nonPrintable_;
    QHash<QString, QString> pendingSettings_;
    QHash<QString, QString> settings_;
    QString settingsJson_;
    bool opened_ = false;
    int errorCode_ = 0;
    QString errorDescription_;
};

}  // namespace contract
