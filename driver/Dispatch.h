#pragma once
// Late-bound access to the register maker's driver object.
//
// The driver is an automation object: its constants and operations are found by name at run
// time. IDispatch is that contract; the virtual register implements it, and so does the adapter
// to the maker's C library (driver/libfptr), without any caller noticing.
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

namespace drv {

inline constexpr const char* kProgId = "AddIn.Fptr10";

// A constant or operation the driver does not know. Never swallowed into a silent 0.
class DriverNameError : public std::runtime_error {
  public:
    DriverNameError(const QString& kind, const QString& name)
        : std::runtime_error(
              QStringLiteral("Драйвер ККТ не знает %1 \"%2\"").arg(kind, name).toStdString()),
          name_(name) {}
    const QString& name() const { return name_; }

  private:
    QString name_;
};

// The driver object could not be created.
class DriverCreateError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The values that cross this interface. Both implementations (the virtual register and the
// adapter to the maker's C library) keep these rules, and the contract tests hold them to it.
//
// Operations (open, queryData, processJson, report, ... and applySingleSettings) take no
// arguments and answer an int: 0 on success, -1 on failure; errorCode then tells why.
//
// setParam(id, value) and setNonPrintableParam(id, value): the id is an int (a constant or an
// FFD tag number); the value's type picks the driver's setter:
//   bool                                -> boolean
//   int, uint, qlonglong, ... (integral) -> 32-bit integer; negative values and values up to
//                                          4294967295 keep their 32 bits, larger ones go as double;
//                                          the receiving side reads the 32 bits as an int, so
//                                          3000000000 arrives as -1294967296
//   double, float                       -> double (currency included)
//   QString                             -> text
//   QDateTime                           -> date-time, local time, whole seconds; a QDate counts
//                                          as its midnight, an invalid date-time as all zeros
//   QByteArray                          -> byte array
//   anything else                       -> its text (QVariant::toString())
// A setter answers 0 and reports nothing else; read errorCode where a failure matters.
//
// Getters take the id and answer (and for a parameter the last operation did not fill):
//   getParamInt       int: the driver's 32 bits (above 2147483647 reads negative); unset 0
//   getParamBool      bool; unset false
//   getParamDouble    double; unset 0
//   getParamString    QString; unset empty
//   getParamDateTime  QDateTime in local time (the C library carries whole seconds);
//                     unset: an invalid QDateTime
//   getParamByteArray QByteArray; unset empty
//
// setSingleSetting(key, value): both texts, answers 0; applySingleSettings is an operation.
// getSingleSetting(key) and getSettings answer QString; setSettings(json) is an int result.
// errorCode: int. errorDescription: QString. version: QString. isOpened: bool.
// A member called with too few arguments answers -1 without reaching the driver.
// A member the driver does not have (or a constant it does not know) answers std::nullopt;
// Fptr turns that into DriverNameError. Nothing here raises for a failure of the register.
class IDispatch {
  public:
    virtual ~IDispatch() = default;
    // Value of a LIBFPTR_ constant, or nullopt when the driver has no such name.
    virtual std::optional<QVariant> constant(const QString& name) const = 0;
    // Runs the member `method` with its arguments; nullopt when the driver has no such member.
    virtual std::optional<QVariant> invoke(const QString& method, const QVariantList& args) = 0;
    // The error code of the last operation as the implementation holds it, without a call of the
    // driver's errorCode member (the driver log uses it); nullopt when it cannot tell.
    virtual std::optional<int> lastErrorCode() const { return std::nullopt; }
};

// Creates driver objects by class name ("AddIn.Fptr10"). The program entry installs the
// factory of the driver in use; tests install their own.
using DispatchFactory = std::function<std::unique_ptr<IDispatch>(const QString& progId)>;
void setDispatchFactory(DispatchFactory factory);
// The factory installed (empty when none), so a caller can wrap it.
DispatchFactory dispatchFactory();
// Throws DriverCreateError when no factory is installed or the factory cannot make the object.
std::unique_ptr<IDispatch> createObject(const QString& progId);

}  // namespace drv
