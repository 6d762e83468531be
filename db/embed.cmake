# Writes the database scripts into a C++ source as string constants:
#   cmake -DOUT=<generated .cpp> -DDB_DIR=<db folder> -P embed.cmake
# schema.sql and sample.sql become scripts::schema and scripts::sample, every
# procedures/*.sql one entry of scripts::procedures.

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

raw_literal("${DB_DIR}/schema.sql" schema)
raw_literal("${DB_DIR}/sample.sql" sample)

file(GLOB procedure_files "${DB_DIR}/procedures/*.sql")
list(SORT procedure_files)
set(entries "")
list(LENGTH procedure_files procedure_count)
foreach(file IN LISTS procedure_files)
  get_filename_component(name "${file}" NAME)
  raw_literal("${file}" text)
  string(APPEND entries "    {\"${name}\", ${text}},\n")
endforeach()
if(procedure_count EQUAL 0)
  # An array may not be empty; the count says there is nothing in it.
  set(entries "    {\"\", \"\"},\n")
endif()

set(source "// Generated from the scripts in db/ by db/embed.cmake; do not edit.
#include \"db/scripts.h\"

namespace zolt::db::scripts {

extern const std::string_view schema = ${schema};

extern const std::string_view sample = ${sample};

extern const Script procedures[] = {
${entries}};
extern const std::size_t procedure_count = ${procedure_count};

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
