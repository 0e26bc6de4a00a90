# What each folder may include with quotes: its own headers and those of the
# folders named for it, nothing else (Qt and the system come in angle brackets).
# The plug-ins see the SDK alone; the exports see the SDK and the channel below
# them, never the application; the SDK sees only itself.
# cmake -DSOURCE_DIR=<checkout> -P include-rule.cmake
set(rules
  "sdk|sdk"
  "modules/holoview|modules/holoview,sdk"
  "modules/health|modules/health,sdk"
  "export|export,sdk,comm")

set(faults "")
foreach(rule IN LISTS rules)
  string(REPLACE "|" ";" parts "${rule}")
  string(REPLACE "," ";" parts "${parts}")
  list(GET parts 0 folder)
  list(REMOVE_AT parts 0)
  file(GLOB sources ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  if(NOT sources)
    string(APPEND faults "  ${folder}: no sources found\n")
  endif()
  foreach(source IN LISTS sources)
    file(STRINGS ${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" name "${line}")
      # What the build generates: forms and meta-object code.
      if(name MATCHES "^ui_[A-Za-z0-9_]+\\.h$" OR name MATCHES "\\.moc$" OR name MATCHES "^moc_")
        continue()
      endif()
      set(found FALSE)
      foreach(allowed IN LISTS parts)
        if(EXISTS ${SOURCE_DIR}/${allowed}/${name} AND NOT IS_DIRECTORY ${SOURCE_DIR}/${allowed}/${name})
          set(found TRUE)
        endif()
      endforeach()
      if(NOT found)
        file(RELATIVE_PATH where ${SOURCE_DIR} ${source})
        string(REPLACE ";" ", " allowedText "${parts}")
        string(APPEND faults "  ${where}: \"${name}\" is not in ${allowedText}\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults)
  message(FATAL_ERROR "Includes across the boundary:\n${faults}")
endif()
message(STATUS "Every include stays inside its folder's boundary.")
