# The manual page of zefro-estimate (man zefro-estimate), made at build time from its own --help text
# by man_page_from_help.py, so the page never says other than the program: it is made again whenever
# the program is rebuilt. build/man/zefro-estimate.1 is the page (man -l build/man/zefro-estimate.1);
# the package installs it gzip-compressed, as Debian's manual pages are, into share/man/man1.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
find_program(ZEFRO_GZIP gzip REQUIRED)

set(ZEFRO_MAN_PAGE "${CMAKE_BINARY_DIR}/man/zefro-estimate.1")
add_custom_command(
  OUTPUT "${ZEFRO_MAN_PAGE}" "${ZEFRO_MAN_PAGE}.gz"
  COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/man"
  COMMAND Python3::Interpreter "${CMAKE_CURRENT_LIST_DIR}/man_page_from_help.py"
          --program $<TARGET_FILE:zefro-estimate>
          --summary "stime delle distanze di danno di un incidente rilevante dalla riga di comando"
          --version ${PROJECT_VERSION}
          --output "${ZEFRO_MAN_PAGE}"
  # -n: no name or time stamp in the archive, so the same page gives the same bytes.
  COMMAND ${ZEFRO_GZIP} -9nkf "${ZEFRO_MAN_PAGE}"
  DEPENDS zefro-estimate "${CMAKE_CURRENT_LIST_DIR}/man_page_from_help.py"
  COMMENT "Making the manual page ${ZEFRO_MAN_PAGE} from zefro-estimate --help"
  VERBATIM)
add_custom_target(man_page ALL DEPENDS "${ZEFRO_MAN_PAGE}" "${ZEFRO_MAN_PAGE}.gz")

install(FILES "${ZEFRO_MAN_PAGE}.gz" DESTINATION share/man/man1)
