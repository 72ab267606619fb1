# The training run of the profile-guided build: cmake -DBENCH=... -DDEPTH=...
# -DPERFT=... -DPERFT_DEPTH=... -DDATA=... -P PgoTrain.cmake. Counts add up
# from run to run, so every training starts from none; the programs' reports
# are not needed.
file(REMOVE_RECURSE ${DATA})
foreach(run "${BENCH};${DEPTH}" "${PERFT};${PERFT_DEPTH}")
  execute_process(COMMAND ${run} RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "the training run ${run} failed: ${result}")
  endif()
endforeach()
