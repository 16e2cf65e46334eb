# Run by cpack once the .deb is made. CPack gives the package's three members
# (debian-binary, control.tar.gz, data.tar.gz) the modes of the files it
# wrote them from, which follow the umask; they are set to 0644, as dpkg-deb
# sets them, so that builds under any umask give the same bytes.
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  set(mode "${deb}.mode")
  file(WRITE "${mode}" "100644  ")
  set(header 8) # after the archive's "!<arch>\n"; each member's header is 60 bytes
  foreach(member RANGE 1 3)
    math(EXPR sizeAt "${header} + 48")
    file(READ "${deb}" size OFFSET ${sizeAt} LIMIT 10)
    string(STRIP "${size}" size)
    math(EXPR modeAt "${header} + 40")
    execute_process(COMMAND dd of=${deb} bs=1 seek=${modeAt} conv=notrunc status=none INPUT_FILE "${mode}"
                    RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "could not set the mode of member ${member} of ${deb}")
    endif()
    math(EXPR header "${header} + 60 + ${size} + ${size} % 2")
  endforeach()
  file(REMOVE "${mode}")
endforeach()
