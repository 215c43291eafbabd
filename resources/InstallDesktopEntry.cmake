# Writes the application entry for the installed program (run by `cmake --install`).
if(IS_ABSOLUTE "${CORVEX_BINDIR}")
  set(program "${CORVEX_BINDIR}/corvex")
else()
  set(program "${CMAKE_INSTALL_PREFIX}/${CORVEX_BINDIR}/corvex")
endif()

# Exec quoting of desktop entries: a quoted argument escapes \ " $ ` with a backslash;
# the value as a whole then escapes each backslash once more, and % is doubled.
# Quoting an argument that needs none is allowed, so the path is always quoted.
string(REPLACE "\\" "\\\\" program "${program}")
string(REPLACE "\"" "\\\"" program "${program}")
string(REPLACE "$" "\\$" program "${program}")
string(REPLACE "`" "\\`" program "${program}")
set(program "\"${program}\"")
string(REPLACE "\\" "\\\\" program "${program}")
string(REPLACE "%" "%%" program "${program}")

set(CORVEX_EXEC "${program}")
configure_file("${CORVEX_DESKTOP_TEMPLATE}" "${CORVEX_DESKTOP_STAGE}" @ONLY)
if(NOT IS_ABSOLUTE "${CORVEX_DESKTOP_DIR}")
  set(CORVEX_DESKTOP_DIR "${CMAKE_INSTALL_PREFIX}/${CORVEX_DESKTOP_DIR}")
endif()
file(INSTALL DESTINATION "${CORVEX_DESKTOP_DIR}" TYPE FILE FILES "${CORVEX_DESKTOP_STAGE}")
