#include "Station.h"

#include <QDeadlineTimer>

#include "LockoutsFile.h"
#include "Report.h"
#include "SettingsFile.h"

namespace nerimo {

Settings LoadRunSettings(const CommandLine& options, const Program& program, FileAccess& files) {
    return LoadSettings({program.Folder(), program.UserFolder(), options.settingsPath,
                         options.device, program.Installed(), options.settleMs},
                        files);
}

Station::Station(const Settings& settings, const Services& services, Panel& panel,
                 Surface& plotSurface)
    : settings_(settings),
      files_(services.files),
      messages_(services.messages),
      broker_(services.broker),
      clock_(services.clock),
      serial_(settings, services.port, services.messages, services.retry),
      hamlib_(settings, services.radio, services.messages, services.retry),
      receiver_(Chosen()),
      plot_(plotSurface, settings.colorIndex),
      bars_(plotSurface, settings.colorIndex),
      log_(services.log, services.messages),
      activity_(settings.activityLevel, lockouts_, bookmarks_, services.clock),
      activityLog_(services.activity, services.messages),
      sweep_(settings, lockouts_, *receiver_, plot_, panel, services.scheduler, services.clock) {
    plot_.SetSpan(settings.spanMHz);
    sweep_.Listen(bars_);
    sweep_.Listen(log_);
    sweep_.Listen(history_);
    sweep_.Listen(activity_);
    activity_.Listen(activityLog_);
}

Receiver* Station::Chosen() {
    return settings_.rigModel > 0 ? static_cast<Receiver*>(&hamlib_) : &serial_;
}

void Station::ShowReceiverTroubleIn(Receiver::Trouble trouble) {
    trouble_ = std::move(trouble);
    serial_.ShowTroubleIn(trouble_);
    hamlib_.ShowTroubleIn(trouble_);
}

void Station::ChangeReceiver(Receiver::Opened opened) {
    sweep_.End();
    receiver_->ClosePort();
    receiver_ = Chosen();
    sweep_.UseReceiver(*receiver_);
    if (trouble_) {
        trouble_(QString());
    }
    receiver_->OpenPort(std::move(opened));
}

void Station::PublishTo(const BrokerOptions& options, std::function<void()> refused) {
    const auto tell = [this](const QString& why) { messages_.Notify(why); };
    publisher_.emplace(SweepPublisher::Parts{
        broker_, clock_, options, [this] { return receiver_->Name(); },
        [tell, refused = std::move(refused)](const QString& why) {
            tell(why);
            refused();
        },
        tell, [](const QString& line) { Report(line); }, [](const QString& line) { Note(line); }});
    sweep_.Listen(*publisher_);
    activityLog_.Listen(*publisher_);
    publisher_->Start();
}

FrequencyLists Station::ReadLists(const CommandLine& options, const QString& bookmarksPath,
                                  bool mustExist) {
    const QString lockouts =
        options.lockoutsPath.isEmpty() ? LockoutsBeside(settings_.file) : options.lockoutsPath;
    const FrequencyLists lists = ReadFrequencyLists(
        files_, lockouts, mustExist && !options.lockoutsPath.isEmpty(), bookmarksPath);
    UseLists(lists, lockouts);
    return lists;
}

ChannelChoice Station::ReadChannels(const QString& path, const QStringList& groups,
                                    const QStringList& priority) const {
    // A radio through Hamlib says what it receives once open; until then, any frequency.
    constexpr ChannelReach kNative{SerialReceiver::kLowestHertz, SerialReceiver::kHighestHertz,
                                   false};
    constexpr ChannelReach kAny{1, 100000000000, true};
    return nerimo::ReadChannels(files_, path, groups, priority, lockouts_,
                                settings_.rigModel == 0 ? kNative : kAny);
}

PictureCaption Station::Caption(int spanMHz, Mode mode) const {
    const auto& rows = history_.rows();
    QStringList channels;
    for (int index = 0; bars_.Shown() && index < bars_.Count(); ++index) {
        channels << bars_.Channel(index).name;
    }
    return {settings_.startMHz,
            spanMHz,
            rows.empty() ? QDateTime() : rows.back().time,
            mode,
            receiver_->Name(),
            bars_.Shown() ? std::vector<Hold>() : plot_.holds().ShownHolds(),
            channels};
}

int Station::Finish(int brokerDeadlineMs) {
    const QDeadlineTimer deadline(brokerDeadlineMs);
    sweep_.End();
    const int lost =
        publisher_ ? publisher_->Finish(int(deadline.remainingTime())) + publisher_->Dropped() : 0;
    receiver_->ClosePort();
    return lost;
}

void Station::UseLists(const FrequencyLists& lists, const QString& lockoutsPath) {
    lockoutsPath_ = lockoutsPath;
    lockouts_ = Lockouts(lists.lockouts);
    UseBookmarks(lists);
}

void Station::UseBookmarks(const FrequencyLists& lists) {
    for (const long long hertz : skipped_) {
        lockouts_.Remove(hertz);
    }
    bookmarks_ = lists.bookmarks;
    skipped_.clear();
    for (const long long hertz : lists.skipped) {
        // Only those it adds: a frequency the lockouts file has stays the file's.
        if (lockouts_.Add(hertz)) {
            skipped_.push_back(hertz);
        }
    }
}

bool Station::LockOut(long long hertz, QString* error) {
    return !lockouts_.Add(hertz) ||
           RewriteLockouts([hertz](const QByteArray& file) { return WithLockout(file, hertz); },
                           error);
}

bool Station::RemoveLockout(long long stepHertz, QString* error) {
    if (!lockouts_.RemoveAt(stepHertz)) {
        return true;
    }
    const auto onStep = [stepHertz](long long hertz) { return FallsOnStep(hertz, stepHertz); };
    std::erase_if(skipped_, onStep);
    return RewriteLockouts(
        [&onStep](const QByteArray& file) { return WithoutLockouts(file, onStep); }, error);
}

bool Station::RewriteLockouts(const std::function<QByteArray(const QByteArray&)>& change,
                              QString* error) {
    // The file as it is now, with what the user wrote into it meanwhile: never what was read at
    // the start.
    const FileRead file = files_.Read(lockoutsPath_);
    if (file.outcome != FileRead::Outcome::Read && file.outcome != FileRead::Outcome::Missing) {
        *error = file.error;
        return false;
    }
    const QByteArray text = change(file.bytes);
    if (text != file.bytes && !files_.Replace(lockoutsPath_, text, error)) {
        return false;
    }
    // Frequencies added by hand count from now on.
    for (const long long hertz : ParseLockouts(text).hertz) {
        lockouts_.Add(hertz);
    }
    return true;
}

}  // namespace nerimo
