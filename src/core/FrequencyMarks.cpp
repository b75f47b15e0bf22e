#include "FrequencyMarks.h"

#include <algorithm>

namespace nerimo {

namespace {

// The frequencies that fall on a step: from half a step below it to just under half a step above,
// so that each frequency falls on one step.
std::pair<long long, long long> OnStep(long long stepHertz, long long stepWidth = kStepHz) {
    return {stepHertz - stepWidth / 2, stepHertz + (stepWidth + 1) / 2};
}

}  // namespace

bool FallsOnStep(long long hertz, long long stepHertz, long long stepWidth) {
    const auto [low, high] = OnStep(stepHertz, stepWidth);
    return hertz >= low && hertz < high;
}

Bookmarks::Bookmarks(std::vector<Bookmark> bookmarks) : bookmarks_(std::move(bookmarks)) {
    std::stable_sort(bookmarks_.begin(), bookmarks_.end(),
                     [](const Bookmark& a, const Bookmark& b) { return a.hertz < b.hertz; });
}

std::optional<QString> Bookmarks::NameNear(long long hertz, long long lowStep, long long highStep,
                                           long long stepWidth) const {
    const long long low = OnStep(lowStep, stepWidth).first;
    const long long high = OnStep(highStep, stepWidth).second;
    auto it = std::lower_bound(bookmarks_.begin(), bookmarks_.end(), low,
                               [](const Bookmark& b, long long hz) { return b.hertz < hz; });
    const Bookmark* nearest = nullptr;
    for (; it != bookmarks_.end() && it->hertz < high; ++it) {
        if (!nearest || std::llabs(it->hertz - hertz) < std::llabs(nearest->hertz - hertz)) {
            nearest = &*it;
        }
    }
    return nearest ? std::optional<QString>(nearest->name) : std::nullopt;
}

std::vector<Bookmark> Bookmarks::Within(long long lowHertz, long long highHertz) const {
    const auto first =
        std::lower_bound(bookmarks_.begin(), bookmarks_.end(), lowHertz,
                         [](const Bookmark& b, long long hz) { return b.hertz < hz; });
    const auto last =
        std::upper_bound(first, bookmarks_.end(), highHertz,
                         [](long long hz, const Bookmark& b) { return hz < b.hertz; });
    return {first, last};
}

Lockouts::Lockouts(std::vector<long long> hertz) : hertz_(std::move(hertz)) {
    std::sort(hertz_.begin(), hertz_.end());
    hertz_.erase(std::unique(hertz_.begin(), hertz_.end()), hertz_.end());
}

bool Lockouts::Locks(long long stepHertz, long long stepWidth) const {
    const auto [low, high] = OnStep(stepHertz, stepWidth);
    const auto at = std::lower_bound(hertz_.begin(), hertz_.end(), low);
    return at != hertz_.end() && *at < high;
}

bool Lockouts::Add(long long hertz) {
    const auto at = std::lower_bound(hertz_.begin(), hertz_.end(), hertz);
    if (at != hertz_.end() && *at == hertz) {
        return false;
    }
    hertz_.insert(at, hertz);
    return true;
}

bool Lockouts::Remove(long long hertz) {
    const auto at = std::lower_bound(hertz_.begin(), hertz_.end(), hertz);
    if (at == hertz_.end() || *at != hertz) {
        return false;
    }
    hertz_.erase(at);
    return true;
}

bool Lockouts::RemoveAt(long long stepHertz) {
    const auto [low, high] = OnStep(stepHertz);
    const auto first = std::lower_bound(hertz_.begin(), hertz_.end(), low);
    const auto last = std::lower_bound(first, hertz_.end(), high);
    const bool found = first != last;
    hertz_.erase(first, last);
    return found;
}

}  // namespace nerimo
