# JUCE's core, events, graphics and cryptography modules as one shared library
# (one copy of its singletons for the program and all its modules),
# compiled from the module sources that scripts/setup unpacks into the build tree.
set(JUCE_MODULES_DIR ${CMAKE_BINARY_DIR}/_juce/usr/share/juce/modules CACHE PATH "JUCE module sources")
if(NOT EXISTS ${JUCE_MODULES_DIR}/juce_core/juce_core.h)
  message(FATAL_ERROR "JUCE modules not found in ${JUCE_MODULES_DIR}: run scripts/setup")
endif()

set(_juce_modules juce_core juce_events juce_graphics juce_cryptography)
set(_juce_sources)
foreach(m IN LISTS _juce_modules)
  list(APPEND _juce_sources ${JUCE_MODULES_DIR}/${m}/${m}.cpp)
endforeach()

add_library(juce SHARED ${_juce_sources})
target_include_directories(juce SYSTEM PUBLIC ${JUCE_MODULES_DIR})
target_compile_definitions(juce PUBLIC
  JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1
  JUCE_MODULE_AVAILABLE_juce_core=1
  JUCE_MODULE_AVAILABLE_juce_events=1
  JUCE_MODULE_AVAILABLE_juce_graphics=1
  JUCE_MODULE_AVAILABLE_juce_cryptography=1
  JUCE_USE_CURL=0
  JUCE_STANDALONE_APPLICATION=1
  JUCE_DISPLAY_SPLASH_SCREEN=0
  JUCE_USE_XSHM=0
  JUCE_WEB_BROWSER=0)
target_compile_options(juce PRIVATE -w)
find_package(Freetype REQUIRED)
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_package(ZLIB REQUIRED)
target_link_libraries(juce PUBLIC Freetype::Freetype PNG::PNG JPEG::JPEG ZLIB::ZLIB Threads::Threads ${CMAKE_DL_LIBS})
