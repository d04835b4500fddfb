# Installs the build into a fresh DESTDIR with the prefix /usr and checks the tree a package
# holds: the two programs, the command-line tool's download module, the menu entry, the icon, the
# description, the manual pages in English and Japanese, the example auto.txt and the package's
# documents, and nothing else.
file(REMOVE_RECURSE ${DESTDIR})
set(ENV{DESTDIR} ${DESTDIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BINARY} --prefix /usr
                RESULT_VARIABLE failed OUTPUT_QUIET)
if(failed)
  message(FATAL_ERROR "cmake --install failed")
endif()

set(expected
  usr/bin/verrimo
  usr/bin/verrimo-cli
  usr/${LIBDIR}/verrimo/verrimo-fetch.so
  usr/share/applications/org.verrimo.Verrimo.desktop
  usr/share/icons/hicolor/scalable/apps/org.verrimo.Verrimo.svg
  usr/share/metainfo/org.verrimo.Verrimo.metainfo.xml
  usr/share/man/man1/verrimo.1.gz
  usr/share/man/man1/verrimo-cli.1.gz
  usr/share/man/ja/man1/verrimo.1.gz
  usr/share/man/ja/man1/verrimo-cli.1.gz
  usr/share/verrimo/auto.txt
  usr/share/doc/verrimo/changelog.gz
  usr/share/doc/verrimo/copyright)
file(GLOB_RECURSE found RELATIVE ${DESTDIR} ${DESTDIR}/*)
list(SORT found)
list(SORT expected)
if(NOT found STREQUAL expected)
  message(FATAL_ERROR "installed:\n  ${found}\nexpected:\n  ${expected}")
endif()

# The example list is the CP932 one the program reads, its first line a comment.
file(STRINGS ${DESTDIR}/usr/share/verrimo/auto.txt first LIMIT_COUNT 1)
if(NOT first MATCHES "^#")
  message(FATAL_ERROR "auto.txt does not start with a comment: ${first}")
endif()
foreach(program verrimo verrimo-cli)
  execute_process(COMMAND test -x ${DESTDIR}/usr/bin/${program} RESULT_VARIABLE notExecutable)
  if(notExecutable)
    message(FATAL_ERROR "${program} is not executable")
  endif()
endforeach()
# The installed tool finds its download module: a refused connection is a failed fetch (3), not a
# module that cannot be loaded (2).
execute_process(COMMAND ${DESTDIR}/usr/bin/verrimo-cli fetch http://127.0.0.1:1/
                RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE message)
if(NOT status EQUAL 3)
  message(FATAL_ERROR "verrimo-cli fetch exited ${status}: ${message}")
endif()
file(REMOVE_RECURSE ${DESTDIR})
