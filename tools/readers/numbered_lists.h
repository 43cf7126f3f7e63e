#pragma once
// Numbered lists (a mission, rally points) as a log meets them: sent item
// by item, maybe several times, sometimes only in part. The last complete
// list wins; a part that tells something else is counted, never drawn.

#include <functional>
#include <map>
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
    // complete empty list. Totals beyond what the protocols can count (16
    // bits) are damage. The entries are held as they come, not in room made
    // for the total, which a damaged log may claim in billions.
    void add(int total, int seq, const T& entry)
    {
        if (total < 0 || total > MAX_ENTRIES || seq < 0 || (total > 0 && seq >= total))
            return;
        if (total == 0) {
            close();
            kept_ = std::vector<T>();
            return;
        }
        if (!open_ || seq == 0 || total != total_ || seq <= lastSeq_) {
            close();
            parts_.clear();
            total_ = total;
            open_ = true;
        }
        parts_[seq] = entry;
        lastSeq_ = seq;
        if (static_cast<int>(parts_.size()) == total) {
            std::vector<T> list;
            list.reserve(parts_.size());
            for (const auto& part : parts_)
                list.push_back(part.second);
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
        bool agrees = kept_ && static_cast<int>(kept_->size()) == total_;
        for (auto part = parts_.begin(); agrees && part != parts_.end(); ++part)
            agrees = same_(part->second, (*kept_)[static_cast<size_t>(part->first)]);
        if (agrees)
            return;
        ++incomplete_;
        lastFilled_ = static_cast<int>(parts_.size());
        lastTotal_ = total_;
    }

    static constexpr int MAX_ENTRIES = 65535;

    std::function<bool(const T&, const T&)> same_;
    std::map<int, T> parts_; // entries of the list being received, by seq
    int total_ = 0;
    bool open_ = false;
    int lastSeq_ = -1;
    std::optional<std::vector<T>> kept_;
    int incomplete_ = 0;
    int lastFilled_ = 0;
    int lastTotal_ = 0;
};

} // namespace flightreplay::readers
