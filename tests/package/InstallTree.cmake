# cmake -DTREE=DIR -DBUILD=BUILD_DIR -P InstallTree.cmake: installs the build into DIR afresh, so
# that nothing left from an earlier install hides a file the install no longer puts there.
file(REMOVE_RECURSE ${TREE})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${TREE} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install ${BUILD} --prefix ${TREE} failed")
endif()
