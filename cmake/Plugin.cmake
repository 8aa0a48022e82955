# Zentrograph.dlo: the plug-in module. Its build is given the host SDK's headers
# (through zhost) and its own folders, and nothing else of the project, so that the
# rule "the plug-in sees only host/ and the standard library" is kept by the compiler.
# It exports only what host/module.h lists, and lands in bin/plugins/.
set(ZENTROGRAPH_PLUGIN_FOLDERS module object create ui resources)
set(ZENTROGRAPH_PLUGIN_INCLUDE ${CMAKE_BINARY_DIR}/plugin-include)
file(MAKE_DIRECTORY ${ZENTROGRAPH_PLUGIN_INCLUDE})
set(ZENTROGRAPH_PLUGIN_SOURCES)
foreach(folder ${ZENTROGRAPH_PLUGIN_FOLDERS})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${ZENTROGRAPH_PLUGIN_INCLUDE}/${folder} SYMBOLIC)
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
  list(APPEND ZENTROGRAPH_PLUGIN_SOURCES ${sources})
endforeach()
add_library(Zentrograph MODULE ${ZENTROGRAPH_PLUGIN_SOURCES})
target_include_directories(Zentrograph PRIVATE ${ZENTROGRAPH_PLUGIN_INCLUDE})
target_link_libraries(Zentrograph PRIVATE zhost)
target_link_options(Zentrograph PRIVATE ${ZENTROGRAPH_MODULE_LINK_OPTIONS})
set_target_properties(Zentrograph PROPERTIES
  PREFIX ""
  SUFFIX ".dlo"
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON
  LIBRARY_OUTPUT_DIRECTORY ${ZENTROGRAPH_PLUGIN_DIR}
  BUILD_RPATH "$ORIGIN/../../lib")
