# Gaps and delays of the tone through a real PulseAudio server (bench/pulse_gaps.sh).
add_executable(velomira_pulse_gaps ${CMAKE_CURRENT_LIST_DIR}/pulse_gaps.cpp)
target_link_libraries(velomira_pulse_gaps PRIVATE velomira_signal velomira_pulse_support)
