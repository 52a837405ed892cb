# SPDX-License-Identifier: MIT
# Run by CPack on the staged tree: CPack's own strip leaves the compiler's .comment section.
file(GLOB_RECURSE binaries "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/*")
foreach(binary IN LISTS binaries)
  execute_process(COMMAND strip --remove-section=.comment "${binary}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
