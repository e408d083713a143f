#pragma once
// The driver object made by a driver library: drv::IDispatch over the C functions.
//
// Every member the program uses maps to its C function (see CApi.h and Operations.h); the
// values follow the rules written down in driver/Dispatch.h. A member whose function the
// library lacks answers std::nullopt, as an unknown name does. Each call is made on the
// library's driver thread (DriverThread.h).
#include <QHash>
#include <atomic>
#include <climits>
#include <memory>

#include "driver/Dispatch.h"
#include "driver/libfptr/Library.h"

namespace drv::libfptr {

class LibraryDispatch : public IDispatch {
  public:
    struct Options {
        // The ComFile setting goes to the library as a device node (Ports.h), so a port given
        // by number reaches the Linux library as /dev/tty… .
        bool comFileAsDeviceNode = true;
    };

    // A new driver object of the library (libfptr_create); null when the library refuses.
    static std::unique_ptr<LibraryDispatch> create(std::shared_ptr<Library> library);
    static std::unique_ptr<LibraryDispatch> create(std::shared_ptr<Library> library,
                                                   Options options);
    ~LibraryDispatch() override;  // libfptr_destroy

    std::optional<QVariant> constant(const QString& name) const override;
    std::optional<QVariant> invoke(const QString& method, const QVariantList& args) override;
    // libfptr_error_code as read right after the last member's call, on the same trip to the
    // driver thread; nullopt before any call.
    std::optional<int> lastErrorCode() const override;

  private:
    LibraryDispatch(std::shared_ptr<Library> library, void* handle, Options options);
    // The member's C function, on the driver thread.
    std::optional<QVariant> call(const QString& method, const QVariantList& args);
    std::optional<QVariant> setParam(const Setters& setters, const QVariantList& args);
    // The parameter `id` given as `text`, in the kind the library expects it: a number for an
    // integer or real parameter, and for a setting's value the kind of that setting as its
    // records read reported it; the text itself when it reads as nothing else.
    QVariant inLibraryKind(int id, const QString& text) const;
    // After a step of a settings records read: the setting's type, for its value later.
    void noteSettingType();
    std::optional<QVariant> getParam(const QString& method, const QVariantList& args);

    std::shared_ptr<Library> lib_;
    void* handle_;
    Options options_;
    static constexpr int kNoCode = INT_MIN;
    std::atomic<int> lastError_{kNoCode};
    // The maker's library converts nothing: what the program sets as text goes to it in the
    // parameter's own kind (inLibraryKind). Kept on the driver thread.
    int recordsType_ = -1;          // LIBFPTR_PARAM_RECORDS_TYPE as last set
    int readingType_ = -1;          // the records type of the read begun last
    int settingId_ = -1;            // LIBFPTR_PARAM_SETTING_ID as last set
    QHash<int, int> settingTypes_;  // setting identifier -> LIBFPTR_ST_ type
};

// The factory for drv::setDispatchFactory: objects of "AddIn.Fptr10" made by `library`.
DispatchFactory libraryFactory(std::shared_ptr<Library> library,
                               LibraryDispatch::Options options = {});

}  // namespace drv::libfptr
