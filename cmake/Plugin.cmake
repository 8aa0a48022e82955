# Zentrograph.dlo: the plug-in module. It sees only host/ and the standard library,
# exports only what host/module.h lists, and lands in bin/plugins/.
file(GLOB ZENTROGRAPH_PLUGIN_SOURCES CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/module/*.cpp
  ${PROJECT_SOURCE_DIR}/object/*.cpp
  ${PROJECT_SOURCE_DIR}/create/*.cpp
  ${PROJECT_SOURCE_DIR}/ui/*.cpp
  ${PROJECT_SOURCE_DIR}/resources/*.cpp)
add_library(Zentrograph MODULE ${ZENTROGRAPH_PLUGIN_SOURCES})
target_include_directories(Zentrograph PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(Zentrograph PRIVATE zhost)
target_link_options(Zentrograph PRIVATE -Wl,--no-undefined)
set_target_properties(Zentrograph PROPERTIES
  PREFIX ""
  SUFFIX ".dlo"
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON
  LIBRARY_OUTPUT_DIRECTORY ${ZENTROGRAPH_PLUGIN_DIR}
  BUILD_RPATH "$ORIGIN/../../lib")
