# trgui_release_date(OUT_DATE OUT_CHANGELOG_DATE GIVEN)
# The release date as YYYY-MM-DD and as a Debian changelog wants it
# ("Tue, 08 Dec 2026 00:00:00 +0000"). GIVEN, when not empty, is the date;
# otherwise it is the date (UTC) of SOURCE_DATE_EPOCH when set, else of the
# last commit, else today. So a build of the same sources writes the same date.
function(trgui_release_date out_date out_changelog_date given)
  if(given)
    set(date "${given}")
  else()
    set(epoch "$ENV{SOURCE_DATE_EPOCH}")
    if(epoch STREQUAL "")
      find_package(Git QUIET)
      if(GIT_FOUND)
        execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
                        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                        OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                        RESULT_VARIABLE status ERROR_QUIET)
        if(NOT status EQUAL 0)
          set(epoch "")
        endif()
      endif()
    endif()
    # string(TIMESTAMP) reads SOURCE_DATE_EPOCH when it is set.
    set(saved "$ENV{SOURCE_DATE_EPOCH}")
    if(NOT epoch STREQUAL "")
      set(ENV{SOURCE_DATE_EPOCH} "${epoch}")
    endif()
    string(TIMESTAMP date "%Y-%m-%d" UTC)
    set(ENV{SOURCE_DATE_EPOCH} "${saved}")
  endif()
  if(NOT date MATCHES "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
    message(FATAL_ERROR "Release date \"${date}\" is not YYYY-MM-DD")
  endif()
  set(year ${CMAKE_MATCH_1})
  set(month ${CMAKE_MATCH_2})
  set(day ${CMAKE_MATCH_3})
  # Without leading zeros for math().
  string(REGEX REPLACE "^0" "" month "${month}")
  string(REGEX REPLACE "^0" "" day_number "${day}")
  if(month LESS 1 OR month GREATER 12 OR day_number LESS 1 OR day_number GREATER 31)
    message(FATAL_ERROR "Release date \"${date}\" is not YYYY-MM-DD")
  endif()

  # The day of the week (Sakamoto's method), in English whatever the locale.
  set(offsets 0 3 2 5 0 3 5 1 4 6 2 4)
  math(EXPR index "${month} - 1")
  list(GET offsets ${index} offset)
  set(y ${year})
  if(month LESS 3)
    math(EXPR y "${y} - 1")
  endif()
  math(EXPR weekday "(${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 + ${offset} + ${day_number}) % 7")
  set(weekdays Sun Mon Tue Wed Thu Fri Sat)
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(GET weekdays ${weekday} weekday_name)
  list(GET months ${index} month_name)

  set(${out_date} "${date}" PARENT_SCOPE)
  set(${out_changelog_date} "${weekday_name}, ${day} ${month_name} ${year} 00:00:00 +0000" PARENT_SCOPE)
endfunction()
