# Gaps and delays of the tone through a real PulseAudio server (bench/pulse_gaps.sh).
add_executable(velomira_pulse_gaps ${CMAKE_CURRENT_LIST_DIR}/pulse_gaps.cpp)
target_link_libraries(velomira_pulse_gaps PRIVATE velomira_signal velomira_pulse_support)

# How far the live view's marker is from what the sink plays (bench/marker_offset.sh).
add_executable(velomira_marker_offset ${CMAKE_CURRENT_LIST_DIR}/marker_offset.cpp)
target_link_libraries(velomira_marker_offset PRIVATE velomira_signal velomira_pulse_support)
