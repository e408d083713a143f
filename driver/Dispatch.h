#pragma once
// Late-bound access to the register maker's driver object.
//
// The driver is an automation object: its constants and operations are found by name at run
// time. IDispatch is that contract; the virtual register implements it, and an adapter to the
// maker's real library would implement it too without any caller noticing.
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
// Throws DriverCreateError when no factory is installed or the factory cannot make the object.
std::unique_ptr<IDispatch> createObject(const QString& progId);

}  // namespace drv
