#pragma once
// The studio's one clock: where on the flight the replay stands, how fast it
// runs and whether it runs at all. The update traversal advances it by the
// frame's real time; keys and panels seek and steer it.

namespace flightreplay::studio {

class FlightClock {
public:
    // A clock over a flight of the given length in seconds, at its start,
    // running at speed x1 with loop on.
    explicit FlightClock(double duration = 0.0);

    // Seconds from the start, always within 0 ... duration().
    double time() const { return time_; }
    double duration() const { return duration_; }

    // A new length (offsets nudged), the time clamped into it.
    void setDuration(double duration);

    // Moves on by realSeconds times the speed unless paused. At the end it
    // starts again from 0 with loop on, else stops there and pauses.
    void advance(double realSeconds);

    // Jumps to a time (or by an offset), clamped to the flight.
    void seek(double seconds);
    void seekBy(double seconds);

    bool paused() const { return paused_; }
    void setPaused(bool paused);
    void togglePause() { setPaused(!paused_); }

    // Speed factor: 1/4, 1/2, 1, 2, 4 ... 64; each step doubles or halves it,
    // stopping at the ends of that range.
    double speed() const;
    void faster();
    void slower();

    bool loop() const { return loop_; }
    void setLoop(bool loop) { loop_ = loop; }

private:
    double duration_;
    double time_ = 0.0;
    int speedStep_; // index into the speed table
    bool paused_ = false;
    bool loop_ = true;
};

} // namespace flightreplay::studio
