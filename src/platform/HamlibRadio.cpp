#include "HamlibRadio.h"

#include <hamlib/rig.h>

#include <cerrno>
#include <clocale>
#include <utility>

namespace nerimo::platform {

namespace {

constexpr char kTimeoutMs[] = "500";
constexpr char kClosingTimeoutMs[] = "100";  // a rigctld that no longer answers: close soon

// Hamlib's text for an error code, without its line end.
RadioResult Failed(int code) {
    return {false, QString::fromLocal8Bit(rigerror2(code)).trimmed(), false, false};
}

RadioResult Checked(int code) {
    return code == RIG_OK ? RadioResult{true, {}, false, false} : Failed(code);
}

void SetConf(RIG* rig, const char* name, const QByteArray& value) {
    // A token the model does not have (serial settings on a network model) is left alone.
    if (const token_t token = rig_token_lookup(rig, name); token != RIG_CONF_END) {
        rig_set_conf(rig, token, value.constData());
    }
}

}  // namespace

HamlibRadio::HamlibRadio() {
    // Hamlib keeps the name of the numeric locale while it opens a radio in "C", then restores
    // it through a pointer that the C library freed on the switch. With "C" in place already
    // nothing is freed. Numbers on screen go through Qt's own locale, which this leaves alone.
    std::setlocale(LC_NUMERIC, "C");
    worker_.moveToThread(&thread_);
}

HamlibRadio::~HamlibRadio() {
    Close();
    thread_.quit();
    thread_.wait();
}

// The calls other than Open need a radio that is open; without one they fail as Hamlib would.
RadioResult NotOpen() {
    return Failed(-RIG_EINVAL);
}

template <typename Result>
void HamlibRadio::Request(std::function<Result()> call, std::function<void(const Result&)> done) {
    if (!thread_.isRunning()) {
        thread_.start();
    }
    QMetaObject::invokeMethod(
        &worker_,
        [this, closes = closes_.load(), call = std::move(call), done = std::move(done)] {
            if (closes != closes_) {
                return;
            }
            const Result result = call();
            QMetaObject::invokeMethod(
                this, [done, result] { done(result); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void HamlibRadio::Open(const RadioSettings& settings, Done done) {
    Request<RadioResult>(
        [this, settings] {
            CloseRig();
            rig_set_debug(RIG_DEBUG_NONE);  // else it writes pages on standard error
            RIG* rig = rig_init(settings.model);
            if (rig == nullptr) {
                return RadioResult{
                    false, QStringLiteral("Hamlib has no radio model %1").arg(settings.model),
                    false, false};
            }
            SetConf(rig, "rig_pathname", settings.path.toLocal8Bit());
            if (settings.speed > 0) {
                SetConf(rig, "serial_speed", QByteArray::number(settings.speed));
            }
            // Hamlib's own defaults can block a call for many seconds.
            SetConf(rig, "timeout", kTimeoutMs);
            SetConf(rig, "retry", "0");
            const int code = rig_open(rig);
            const bool denied = errno == EACCES;
            if (code != RIG_OK) {
                rig_cleanup(rig);
                RadioResult result = Failed(code);
                result.permissionDenied = denied;
                return result;
            }
            // Hamlib turns a raw S-meter into the strength itself where the model calibrates it.
            if (rig_has_get_level(rig, RIG_LEVEL_STRENGTH | RIG_LEVEL_RAWSTR) == 0) {
                rig_close(rig);
                rig_cleanup(rig);
                return RadioResult{false, {}, false, true};
            }
            rig_ = rig;
            return RadioResult{true, {}, false, false};
        },
        std::move(done));
}

void HamlibRadio::SetMode(bool am, Done done) {
    Request<RadioResult>(
        [this, am] {
            return rig_ == nullptr
                       ? NotOpen()
                       : Checked(rig_set_mode(rig_, RIG_VFO_CURR, am ? RIG_MODE_AM : RIG_MODE_FM,
                                              RIG_PASSBAND_NORMAL));
        },
        std::move(done));
}

void HamlibRadio::SetFrequency(double hertz, Done done) {
    Request<RadioResult>(
        [this, hertz] {
            return rig_ == nullptr ? NotOpen() : Checked(rig_set_freq(rig_, RIG_VFO_CURR, hertz));
        },
        std::move(done));
}

void HamlibRadio::ReadStrength(Strength done) {
    using Read = std::pair<RadioResult, int>;
    Request<Read>(
        [this] {
            if (rig_ == nullptr) {
                return Read{NotOpen(), 0};
            }
            value_t value{};
            const int code = rig_get_level(rig_, RIG_VFO_CURR, RIG_LEVEL_STRENGTH, &value);
            return Read{Checked(code), value.i};
        },
        [done = std::move(done)](const Read& read) { done(read.first, read.second); });
}

void HamlibRadio::Close() {
    ++closes_;
    if (thread_.isRunning()) {
        QMetaObject::invokeMethod(
            &worker_, [this] { CloseRig(); }, Qt::QueuedConnection);
    }
}

void HamlibRadio::CloseRig() {
    if (rig_ == nullptr) {
        return;
    }
    SetConf(rig_, "timeout", kClosingTimeoutMs);
    rig_close(rig_);
    rig_cleanup(rig_);
    rig_ = nullptr;
}

}  // namespace nerimo::platform
