#include "Station.h"

#include <algorithm>

#include "LockoutsFile.h"

namespace nerimo {

Station::Station(const Settings& settings, const Services& services, Panel& panel,
                 Surface& plotSurface)
    : files_(services.files),
      broker_(services.broker),
      clock_(services.clock),
      serial_(settings, services.port, services.messages, services.retry),
      hamlib_(settings, services.radio, services.messages, services.retry),
      receiver_(settings.rigModel > 0 ? static_cast<Receiver*>(&hamlib_) : &serial_),
      plot_(plotSurface, settings.colorIndex),
      log_(services.log, services.messages, services.clock),
      history_(services.clock),
      activity_(settings.activityLevel, lockouts_, bookmarks_, services.clock),
      activityLog_(services.activity, services.messages),
      sweep_(settings, lockouts_, *receiver_, plot_, panel, services.scheduler) {
    plot_.SetSpan(settings.spanMHz);
    sweep_.Listen(log_);
    sweep_.Listen(history_);
    sweep_.Listen(activity_);
    activity_.Listen(activityLog_);
}

void Station::PublishTo(const BrokerOptions& options, std::function<QString()> mode,
                        std::function<void(const QString& why)> refused,
                        std::function<void(const QString& line)> note) {
    publisher_.emplace(SweepPublisher::Parts{
        broker_, clock_, options, receiver_->Name(), std::move(mode),
        [this] { return activityLog_.Logging(); }, std::move(refused), std::move(note)});
    sweep_.Listen(*publisher_);
    activity_.Listen(*publisher_);
    publisher_->Start();
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
    return !lockouts_.Add(hertz) || SaveLockouts(error);
}

bool Station::RemoveLockout(long long stepHertz, QString* error) {
    return !lockouts_.RemoveAt(stepHertz) || SaveLockouts(error);
}

bool Station::SaveLockouts(QString* error) {
    std::vector<long long> own;
    std::copy_if(lockouts_.all().begin(), lockouts_.all().end(), std::back_inserter(own),
                 [this](long long hertz) {
                     return std::find(skipped_.begin(), skipped_.end(), hertz) == skipped_.end();
                 });
    return files_.Replace(lockoutsPath_, LockoutsText(own), error);
}

}  // namespace nerimo
