#pragma once
// The built-in models, one builder each, in metres in the replay's model
// axes: nose along -x, top along +y, left wing along +z.

#include "tools/assets/ac3d_model.h"

namespace flightreplay::assets {

// The demo's high-wing pusher trainer, 1.37 m span.
AcModel fixedWingModel();

// A quad in X, 37 cm between diagonal motors, 18 cm propellers; the front
// arms and propellers are red.
AcModel multicopterModel();

// A 700-class model helicopter: 1.56 m main rotor, tail boom and tail rotor.
AcModel helicopterModel();

// A 15 m sailplane: the size of the gliders and paragliders IGC loggers fly.
AcModel gliderModel();

// A quadplane: 2 m wing, four lift rotors on two booms and a pusher.
AcModel vtolModel();

// A 90 cm rover with a boat's hull on four wheels, for ground and water.
AcModel groundModel();

// A 1 m yellow dart with a red tip, for a vehicle of unknown kind.
AcModel genericModel();

} // namespace flightreplay::assets
