# Writes the database scripts into a C++ source as string constants:
#   cmake -DOUT=<generated .cpp> -DDB_DIR=<db folder> -P embed.cmake
# schema.sql and sample.sql become scripts::schema and scripts::sample, every
# procedures/*.sql one entry of scripts::procedures; the scripts of
# postgresql/ go the same way into scripts::postgresql.

if(NOT OUT OR NOT DB_DIR)
  message(FATAL_ERROR "embed.cmake needs -DOUT=<file> and -DDB_DIR=<folder>")
endif()

set(delimiter "zolt_sql")

# A raw string literal holding the whole file.
function(raw_literal file result)
  file(READ "${file}" content)
  string(FIND "${content}" ")${delimiter}\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${file} contains the text )${delimiter}\" and cannot be embedded")
  endif()
  set(${result} "R\"${delimiter}(${content})${delimiter}\"" PARENT_SCOPE)
endfunction()

# The scripts of a folder, in file-name order, as entries of a Script array
# and their count (an array may not be empty: without scripts it holds one
# empty entry that the count leaves out).
function(script_entries folder entries_var count_var)
  file(GLOB files "${folder}/*.sql")
  list(SORT files)
  list(LENGTH files count)
  set(entries "")
  foreach(file IN LISTS files)
    get_filename_component(name "${file}" NAME)
    raw_literal("${file}" text)
    string(APPEND entries "    {\"${name}\", ${text}},\n")
  endforeach()
  if(count EQUAL 0)
    set(entries "    {\"\", \"\"},\n")
  endif()
  set(${entries_var} "${entries}" PARENT_SCOPE)
  set(${count_var} ${count} PARENT_SCOPE)
endfunction()

raw_literal("${DB_DIR}/schema.sql" schema)
raw_literal("${DB_DIR}/sample.sql" sample)
script_entries("${DB_DIR}/procedures" entries procedure_count)
raw_literal("${DB_DIR}/postgresql/schema.sql" postgresql_schema)
raw_literal("${DB_DIR}/postgresql/drop.sql" postgresql_drop)
script_entries("${DB_DIR}/postgresql/routines" postgresql_entries postgresql_count)

set(source "// Generated from the scripts in db/ by db/embed.cmake; do not edit.
#include \"db/scripts.h\"

namespace zolt::db::scripts {

extern const std::string_view schema = ${schema};

extern const std::string_view sample = ${sample};

extern const Script procedures[] = {
${entries}};
extern const std::size_t procedure_count = ${procedure_count};

namespace postgresql {
extern const std::string_view schema = ${postgresql_schema};
extern const std::string_view drop = ${postgresql_drop};
extern const Script routines[] = {
${postgresql_entries}};
extern const std::size_t routine_count = ${postgresql_count};
}  // namespace postgresql

}  // namespace zolt::db::scripts
")

# Leave the file alone when nothing changed, so that nothing is rebuilt.
if(EXISTS "${OUT}")
  file(READ "${OUT}" previous)
  if(previous STREQUAL source)
    return()
  endif()
endif()
file(WRITE "${OUT}" "${source}")
