// When things happen in the sample show, in seconds from its start. The tune's
// patterns last 7.5 seconds each, and the scenes in its middle change on its
// pattern boundaries.
#pragma once

namespace velmora::tools {

inline constexpr double kTitleStart = 0.0;     // the title, with the stream
inline constexpr double kTuneStart = 8.0;      // the tracker tune from here ...
inline constexpr double kTuneStop = 53.0;      // ... to here: six patterns
inline constexpr double kTunnelStart = 8.0;
inline constexpr double kKnotStart = 23.0;
inline constexpr double kCityStart = 38.0;
inline constexpr double kCloseStart = 53.0;    // the title again, with the stream again
inline constexpr double kHoldAt = 15.5;        // a frozen beat where the tune's groove comes in
inline constexpr int kHoldMilliseconds = 469;
inline constexpr double kSceneSeconds = 15.0;  // tunnel, knot and city each

}  // namespace velmora::tools
