# Build settings and install rules shared by every library of the project.
include(CMakePackageConfigHelpers)

set(OMRA_WARNINGS -Wall -Wextra -Wshadow -Wno-unused-parameter)
if(OMRA_WERROR)
  list(APPEND OMRA_WARNINGS -Werror)
endif()
if(OMRA_SANITIZE)
  # GCC's flow analysis reports false uninitialised reads inside the standard library (std::regex,
  # std::function) once the sanitizers instrument it; the sanitizers themselves catch real ones.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    list(APPEND OMRA_WARNINGS -Wno-maybe-uninitialized)
  endif()
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# omra_warnings(target): the project's warning set on one target.
function(omra_warnings target)
  target_compile_options(${target} PRIVATE ${OMRA_WARNINGS})
endfunction()

# omra_install_library(target PC_REQUIRES <pkg-config names> DESCRIPTION <text>)
# Installs a shared library with its public headers, a CMake package <target>Config.cmake with the
# imported target <target>::<target>, and a pkg-config file <target>.pc.
function(omra_install_library target)
  cmake_parse_arguments(ARG "" "DESCRIPTION" "PC_REQUIRES;DEPENDS" ${ARGN})
  set_target_properties(${target} PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
  install(TARGETS ${target} EXPORT ${target}Targets
          LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
          ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
          RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
          FILE_SET HEADERS DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
          INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  install(EXPORT ${target}Targets NAMESPACE ${target}::
          DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/${target})
  set(OMRA_PACKAGE ${target})
  set(OMRA_PACKAGE_DEPENDS "${ARG_DEPENDS}")
  configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/PackageConfig.cmake.in
          ${CMAKE_CURRENT_BINARY_DIR}/${target}Config.cmake
          INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/${target})
  write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/${target}ConfigVersion.cmake
          VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${target}Config.cmake
                ${CMAKE_CURRENT_BINARY_DIR}/${target}ConfigVersion.cmake
          DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/${target})
  # The prefix as seen from the installed .pc file, so that an installed tree can be moved.
  file(RELATIVE_PATH PC_PREFIX_FROM_PCFILEDIR /root/${CMAKE_INSTALL_LIBDIR}/pkgconfig /root)
  set(PC_NAME ${target})
  set(PC_DESCRIPTION "${ARG_DESCRIPTION}")
  string(REPLACE ";" " " PC_REQUIRES "${ARG_PC_REQUIRES}")
  configure_file(${PROJECT_SOURCE_DIR}/cmake/library.pc.in ${CMAKE_CURRENT_BINARY_DIR}/${target}.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${target}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endfunction()
