# Each target sees the project's folders through an include root of its own that holds only the
# folders it may use, so that a file including a header of any other folder does not build.
# Headers are included by their path from the project's top, such as "dialog/KorvelDlg.h".
function(korvel_folders target scope)
  set(root ${PROJECT_BINARY_DIR}/folders/${target})
  foreach(folder IN LISTS ARGN)
    cmake_path(GET folder PARENT_PATH parent)
    file(MAKE_DIRECTORY ${root}/${parent})
    if(NOT EXISTS ${root}/${folder})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${target} ${scope} ${root})
endfunction()
