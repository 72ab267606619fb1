# The training run of the profile-guided build: cmake -DBENCH=... -DDEPTH=...
# -DDATA=... -P PgoTrain.cmake. Counts add up from run to run, so every
# training starts from none; the bench's report is not needed.
file(REMOVE_RECURSE ${DATA})
execute_process(COMMAND ${BENCH} ${DEPTH} RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the training bench failed: ${result}")
endif()
