# One library per layer folder of src/, named velto_<folder>. Sources are
# collected from the folder (and its subfolders), so adding a file needs no
# edit here. A folder without sources yet becomes an interface library, so
# that the layers above can already name it.
function(velto_layer name)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
  if(sources)
    add_library(velto_${name} STATIC ${sources})
    target_include_directories(velto_${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(velto_${name} PUBLIC ${ARGN})
  else()
    add_library(velto_${name} INTERFACE)
    target_include_directories(velto_${name} INTERFACE ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(velto_${name} INTERFACE ${ARGN})
  endif()
endfunction()

# One test program per folder of tests/, linked against the given libraries
# and the shared test support. Each test case becomes a CTest test.
function(velto_test_folder name)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(velto_${name}_tests ${sources})
  target_link_libraries(velto_${name}_tests PRIVATE velto_test_support ${ARGN} GTest::gtest GTest::gmock GTest::gtest_main)
  add_dependencies(velto_${name}_tests velto_data)
  gtest_discover_tests(velto_${name}_tests
    WORKING_DIRECTORY ${VELTO_BIN_DIR}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
