#include "HamlibRadio.h"

#include <fcntl.h>
#include <hamlib/rig.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <cerrno>
#include <climits>
#include <clocale>
#include <utility>

namespace nerimo::platform {

namespace {

constexpr char kTimeoutMs[] = "500";
constexpr char kClosingTimeoutMs[] = "100";  // a rigctld that no longer answers: close soon

rmode_t HamlibMode(Mode mode) {
    switch (mode) {
        case Mode::Am:
            return RIG_MODE_AM;
        case Mode::WideFm:
            return RIG_MODE_WFM;
        case Mode::Usb:
            return RIG_MODE_USB;
        case Mode::Lsb:
            return RIG_MODE_LSB;
        case Mode::Cw:
            return RIG_MODE_CW;
        case Mode::Fm:
            break;
    }
    return RIG_MODE_FM;
}
constexpr int kConnectMs = 1000;
constexpr int kNoValue = INT_MIN;  // what no Hamlib reading leaves in a level

// Hamlib's text for an error code, without its line end.
RadioResult Failed(int code) {
    // What a radio or a rigctld answers to a request it cannot do, as against a line gone.
    const bool refused =
        code == -RIG_EINVAL || code == -RIG_ENIMPL || code == -RIG_ENAVAIL || code == -RIG_ERJCTED;
    return {false, QString::fromLocal8Bit(rigerror2(code)).trimmed(), {}, false, false, refused};
}

RadioResult Checked(int code) {
    return code == RIG_OK ? RadioResult{true, {}, {}, false, false} : Failed(code);
}

RadioResult Permanently(const QString& message) {
    return {false, message, message, false, true};
}

void SetConf(RIG* rig, const char* name, const QByteArray& value) {
    // A token the model does not have (serial settings on a network model) is left alone.
    if (const token_t token = rig_token_lookup(rig, name); token != RIG_CONF_END) {
        rig_set_conf(rig, token, value.constData());
    }
}

// Connects once to a network radio's address, within a second; the message when nothing
// answers there. Hamlib's own connect inside rig_open has no time-out: an address whose
// listen queue is full holds it for two minutes.
std::optional<QString> Reach(const RadioSettings& settings) {
    const qsizetype colon = settings.path.lastIndexOf(QLatin1Char(':'));
    QString host = settings.path.left(colon);
    const QString port = settings.path.mid(colon + 1);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']'))) {
        host = host.mid(1, host.size() - 2);
    }
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.toLocal8Bit().constData(), port.toLocal8Bit().constData(), &hints,
                      &found) != 0) {
        return QStringLiteral("Host name not found: %1").arg(host);
    }
    const QDeadlineTimer deadline(kConnectMs);
    bool answered = false;
    for (const addrinfo* address = found; address != nullptr && !answered;
         address = address->ai_next) {
        const int fd =
            ::socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                     address->ai_protocol);
        if (fd < 0) {
            continue;
        }
        if (::connect(fd, address->ai_addr, address->ai_addrlen) == 0) {
            answered = true;
        } else if (errno == EINPROGRESS) {
            pollfd writable{fd, POLLOUT, 0};
            int error = 0;
            socklen_t size = sizeof error;
            answered = ::poll(&writable, 1, static_cast<int>(deadline.remainingTime())) == 1 &&
                       ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
        }
        ::close(fd);
    }
    ::freeaddrinfo(found);
    if (answered) {
        return std::nullopt;
    }
    return QStringLiteral(
               "Nothing answers at %1. Is rigctld running there (rigctld -m MODEL -r DEVICE "
               "-t %2)?")
        .arg(settings.path, port);
}

// The strength, or nothing for a reply that holds no number. Through a rigctld the reply is
// read as it comes: Hamlib's own reading turns one that is not a number into 0 dB, a strong
// signal. Elsewhere a reading that leaves the value as it was holds none.
std::pair<int, std::optional<int>> ReadStrengthOf(RIG* rig) {
    if (rig->caps->rig_model == RIG_MODEL_NETRIGCTL) {
        QByteArray request = "l";
        if (rig->state.vfo_opt != 0) {
            request += QByteArray(" ") + rig_strvfo(rig->state.current_vfo);
        }
        request += " STRENGTH\n";
        unsigned char reply[64] = {};
        unsigned char end[] = "\n";
        const int size =
            rig_send_raw(rig, reinterpret_cast<const unsigned char*>(request.data()),
                         static_cast<int>(request.size()), reply, sizeof reply - 1, end);
        if (size < 0) {
            return {size, std::nullopt};
        }
        const QByteArray text = QByteArray(reinterpret_cast<const char*>(reply), size).trimmed();
        bool number = false;
        if (text.startsWith("RPRT ")) {
            const int code = text.mid(5).toInt(&number);
            return {number && code < 0 ? code : RIG_OK, std::nullopt};
        }
        const int decibels = text.toInt(&number);
        return {RIG_OK, number ? std::optional<int>(decibels) : std::nullopt};
    }
    value_t value{};
    value.i = kNoValue;
    const int code = rig_get_level(rig, RIG_VFO_CURR, RIG_LEVEL_STRENGTH, &value);
    return {code,
            code == RIG_OK && value.i != kNoValue ? std::optional<int>(value.i) : std::nullopt};
}

// Whether Hamlib can give the strength of this radio: read directly, or from a raw S-meter
// through the model's calibration.
bool ReportsStrength(RIG* rig) {
    return rig_has_get_level(rig, RIG_LEVEL_STRENGTH) != 0 ||
           (rig_has_get_level(rig, RIG_LEVEL_RAWSTR) != 0 && rig->state.str_cal.size > 0);
}

QString NoStrength(RIG* rig) {
    return QStringLiteral(
               "Hamlib's radio model %1 (%2 %3) cannot report signal strength through Hamlib, "
               "so Nerimo cannot sweep with it.")
        .arg(rig->caps->rig_model)
        .arg(QString::fromLatin1(rig->caps->mfg_name), QString::fromLatin1(rig->caps->model_name));
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

bool HamlibRadio::Finish(int milliseconds) {
    Close();
    thread_.quit();
    return thread_.wait(QDeadlineTimer(milliseconds));
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
                return Permanently(
                    QStringLiteral("Hamlib has no radio model %1 (rigctl -l lists them).")
                        .arg(settings.model));
            }
            if (rig->caps->port_type == RIG_PORT_NETWORK) {
                if (const std::optional<QString> nothing = Reach(settings)) {
                    rig_cleanup(rig);
                    return RadioResult{false, *nothing, *nothing, false, false};
                }
            }
            SetConf(rig, "rig_pathname", settings.path.toLocal8Bit());
            if (settings.speed > 0) {
                SetConf(rig, "serial_speed", QByteArray::number(settings.speed));
            }
            // Hamlib's own defaults can block a call for many seconds.
            SetConf(rig, "timeout", kTimeoutMs);
            SetConf(rig, "retry", "0");
            errno = 0;
            int code = rig_open(rig);
            if (code == -RIG_EIO && rig->caps->port_type == RIG_PORT_NETWORK) {
                // A rigctld started a moment ago now and then fails its first client's opening
                // requests on a busy machine; the address has just answered, so once more.
                code = rig_open(rig);
            }
            const bool denied = errno == EACCES;
            if (code != RIG_OK) {
                rig_cleanup(rig);
                RadioResult result = Failed(code);
                result.permissionDenied = denied;
                return result;
            }
            // One reading at once: a model that lists a raw S-meter with no calibration fails
            // every one of them, which no second try mends.
            const int read = ReportsStrength(rig) ? ReadStrengthOf(rig).first : -RIG_ENAVAIL;
            if (read != RIG_OK) {
                const bool never = read == -RIG_ENAVAIL || read == -RIG_ENIMPL;
                const RadioResult result = never ? Permanently(NoStrength(rig)) : Failed(read);
                rig_close(rig);
                rig_cleanup(rig);
                return result;
            }
            rig_ = rig;
            RadioResult opened{true, {}, {}, false, false};
            for (int i = 0; i < HAMLIB_FRQRANGESIZ && !RIG_IS_FRNG_END(rig->state.rx_range_list[i]);
                 ++i) {
                opened.ranges.emplace_back(rig->state.rx_range_list[i].startf,
                                           rig->state.rx_range_list[i].endf);
            }
            return opened;
        },
        std::move(done));
}

void HamlibRadio::SetMode(Mode mode, Done done) {
    Request<RadioResult>(
        [this, mode] {
            return rig_ == nullptr ? NotOpen()
                                   : Checked(rig_set_mode(rig_, RIG_VFO_CURR, HamlibMode(mode),
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
    using Read = std::pair<RadioResult, std::optional<int>>;
    Request<Read>(
        [this] {
            if (rig_ == nullptr) {
                return Read{NotOpen(), std::nullopt};
            }
            const auto [code, decibels] = ReadStrengthOf(rig_);
            return Read{Checked(code), decibels};
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
