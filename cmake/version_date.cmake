# The date of this version, as the manual page writes it (SIMEQ_DATE,
# YYYY-MM-DD) and as the Debian changelog does (SIMEQ_CHANGELOG_DATE,
# RFC 2822). It comes from SIMEQ_VERSION_DATE alone: never from the time of
# the build nor from SOURCE_DATE_EPOCH (which sets the time stamps of
# archives), so that every build and every download of one version carries
# the same date.
if(NOT SIMEQ_VERSION_DATE MATCHES "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
  message(FATAL_ERROR "SIMEQ_VERSION_DATE must be YYYY-MM-DD, not '${SIMEQ_VERSION_DATE}'")
endif()
# Days from 1970-01-01 to that date in the proleptic Gregorian calendar,
# counting years from March so that a leap day ends its year.
math(EXPR year "${CMAKE_MATCH_1}")
math(EXPR month "${CMAKE_MATCH_2}")
math(EXPR day "${CMAKE_MATCH_3}")
if(month LESS_EQUAL 2)
  math(EXPR year "${year} - 1")
  math(EXPR month "${month} + 9")
else()
  math(EXPR month "${month} - 3")
endif()
math(EXPR era "${year} / 400")
math(EXPR year_of_era "${year} - ${era} * 400")
math(EXPR day_of_year "(153 * ${month} + 2) / 5 + ${day} - 1")
math(EXPR day_of_era
     "${year_of_era} * 365 + ${year_of_era} / 4 - ${year_of_era} / 100 + ${day_of_year}")
math(EXPR days "${era} * 146097 + ${day_of_era} - 719468")
math(EXPR seconds "${days} * 86400")
# string(TIMESTAMP) formats SOURCE_DATE_EPOCH when it is set: set it to that
# day for the two dates and put back what the caller had.
set(saved_epoch_defined FALSE)
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(saved_epoch_defined TRUE)
  set(saved_epoch "$ENV{SOURCE_DATE_EPOCH}")
endif()
set(ENV{SOURCE_DATE_EPOCH} ${seconds})
string(TIMESTAMP SIMEQ_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP SIMEQ_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
if(saved_epoch_defined)
  set(ENV{SOURCE_DATE_EPOCH} "${saved_epoch}")
else()
  unset(ENV{SOURCE_DATE_EPOCH})
endif()
if(NOT SIMEQ_DATE STREQUAL SIMEQ_VERSION_DATE)
  message(FATAL_ERROR "cannot turn SIMEQ_VERSION_DATE ${SIMEQ_VERSION_DATE} into a time")
endif()
