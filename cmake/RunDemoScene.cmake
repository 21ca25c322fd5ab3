# The fixture DemoSceneRun: runs the demo's whole scene once for the
# DemoScene tests, which read what it leaves in OUT: the frames (out/),
# the demo's output (run.log) and its exit status (status). The module's
# clock steps 33 ms a frame, so the frames are the same on any machine.
#
#   cmake -DDEMO=<lumiva-demo> -DOUT=<folder> -P RunDemoScene.cmake
file(REMOVE_RECURSE "${OUT}")
file(MAKE_DIRECTORY "${OUT}")
execute_process(COMMAND "${DEMO}" --headless --frames 12 --step-ms 33 --out "${OUT}/out"
  OUTPUT_FILE "${OUT}/run.log" ERROR_FILE "${OUT}/run.log" RESULT_VARIABLE status)
file(WRITE "${OUT}/status" "${status}\n")
if(NOT status STREQUAL "0")
  file(READ "${OUT}/run.log" log)
  message(FATAL_ERROR "lumiva-demo --headless --frames 12 --step-ms 33: ${status}\n${log}")
endif()
