# Read by cpack. Without dpkg-shlibdeps (dpkg-dev) CPack would build a .deb
# with none of the libraries the program needs among its dependencies: one
# that installs and then cannot start.
if(CPACK_GENERATOR STREQUAL "DEB")
  find_program(ZDRAVINKY_DPKG_SHLIBDEPS dpkg-shlibdeps)
  if(NOT ZDRAVINKY_DPKG_SHLIBDEPS)
    message(FATAL_ERROR "dpkg-shlibdeps not found; install dpkg-dev, which reads the package's dependencies from the program")
  endif()
endif()

# CPack stamps the package's files and members with SOURCE_DATE_EPOCH when it
# is set: the time that the build took from the last commit or from the
# distribution.
if(CPACK_ZDRAVINKY_SOURCE_DATE_EPOCH AND NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  set(ENV{SOURCE_DATE_EPOCH} ${CPACK_ZDRAVINKY_SOURCE_DATE_EPOCH})
endif()
