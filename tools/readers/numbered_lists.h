#pragma once
// Numbered lists (a mission, rally points) as a log meets them: sent item
// by item, maybe several times, sometimes only in part. The last complete
// list wins; a part that tells something else is counted, never drawn.

#include <functional>
#include <optional>
#include <vector>

namespace flightreplay::readers {

template <typename T>
class LastCompleteList {
public:
    // same(a, b): whether two entries say the same, so that a list sent
    // again in part (as a logger may on a change elsewhere) is not counted
    // as incomplete.
    explicit LastCompleteList(std::function<bool(const T&, const T&)> same) : same_(std::move(same)) {}

    // Entry seq of a list of total entries. A list starts again at entry 0,
    // at a new total or at an entry not after the last; a total of 0 is a
    // complete empty list.
    void add(int total, int seq, const T& entry)
    {
        if (total < 0 || seq < 0 || (total > 0 && seq >= total))
            return;
        if (total == 0) {
            close();
            kept_ = std::vector<T>();
            return;
        }
        if (!open_ || seq == 0 || total != static_cast<int>(parts_.size()) || seq <= lastSeq_) {
            close();
            parts_.assign(static_cast<size_t>(total), std::nullopt);
            filled_ = 0;
            open_ = true;
        }
        if (!parts_[static_cast<size_t>(seq)])
            ++filled_;
        parts_[static_cast<size_t>(seq)] = entry;
        lastSeq_ = seq;
        if (filled_ == total) {
            std::vector<T> list;
            for (const std::optional<T>& part : parts_)
                list.push_back(*part);
            kept_ = std::move(list);
            open_ = false;
        }
    }

    // Ends the list being received; call once after the last add.
    void finish() { close(); }

    // The last complete list; nullopt when none was.
    const std::optional<std::vector<T>>& kept() const { return kept_; }
    // Lists left incomplete that do not agree with the one kept before them.
    int incomplete() const { return incomplete_; }
    // Entries and total of the last of those.
    int lastIncompleteFilled() const { return lastFilled_; }
    int lastIncompleteTotal() const { return lastTotal_; }

private:
    void close()
    {
        if (!open_)
            return;
        open_ = false;
        bool agrees = kept_ && kept_->size() == parts_.size();
        for (size_t i = 0; agrees && i < parts_.size(); ++i)
            agrees = !parts_[i] || same_(*parts_[i], (*kept_)[i]);
        if (agrees)
            return;
        ++incomplete_;
        lastFilled_ = filled_;
        lastTotal_ = static_cast<int>(parts_.size());
    }

    std::function<bool(const T&, const T&)> same_;
    std::vector<std::optional<T>> parts_;
    bool open_ = false;
    int filled_ = 0;
    int lastSeq_ = -1;
    std::optional<std::vector<T>> kept_;
    int incomplete_ = 0;
    int lastFilled_ = 0;
    int lastTotal_ = 0;
};

} // namespace flightreplay::readers
