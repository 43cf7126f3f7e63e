#pragma once
// Generated flights of a quadcopter with chosen trouble, as DataFlash, ULog
// and telemetry (tlog, system 1; no compass there) files: armed at boot
// 10 s, in the air from 15 s to 140 s, disarmed at 145 s; GPS from boot 1 s
// (the first fix), every stream sampled alike, flying north at 5 m/s. Each
// kind of trouble at its own time (boot seconds):
//   vibration 40-50 (above the failure level), clipping 40-50,
//   estimator 60-65 (a test ratio of 1.3), board supply 55-56 (4.4 V),
//   GPS fix lost 70-75, a 220 m GPS jump 80-81, battery 3.2 V a cell from 90,
//   a failsafe 95-97, motor 3 at its limit 100-105, motor 2 stopped
//   110-112, the compass field following the throttle (±50 %) throughout.

#include <string>

namespace reader_test {

struct Trouble {
    bool vibration = false;
    bool clipping = false;
    bool estimator = false;
    bool supply = false;
    bool gpsLoss = false;
    bool gpsJump = false;
    bool battery = false;
    bool failsafe = false;
    bool motorLimit = false;
    bool motorStop = false;
    bool compass = false;
};

// Sampled every step seconds (0.1: 10 Hz; coarser for small fuzz seeds).
std::string dataflashReviewFlight(const Trouble& trouble, double step = 0.1);
std::string ulogReviewFlight(const Trouble& trouble, double step = 0.1);
std::string tlogReviewFlight(const Trouble& trouble, double step = 0.1);

} // namespace reader_test
