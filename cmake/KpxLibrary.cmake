# kpx_area_library(NAME SOURCES...): one static library per area, sharing the public
# include folder and the src/ root so areas include each other as "data/…".
function(kpx_area_library name)
  set(sources ${ARGN})
  if(NOT sources)
    # An area whose code has not arrived yet still yields a library to link.
    set(empty ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp)
    file(WRITE ${empty} "// ${name} has no sources yet.\n")
    set(sources ${empty})
  endif()
  add_library(${name} STATIC ${sources})
  # These objects also make up libkpxwizard, which exports only what KPX_API marks.
  set_target_properties(${name} PROPERTIES CXX_VISIBILITY_PRESET hidden C_VISIBILITY_PRESET hidden
                                           VISIBILITY_INLINES_HIDDEN ON)
  target_include_directories(${name} PUBLIC
    ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR}/src)
endfunction()
