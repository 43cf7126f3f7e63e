# Turns one scdoc source into a compressed roff page: cmake -DSCDOC=... -DGZIP=...
# -DSOURCE=NAME.1.scd -DPAGE=NAME.1.gz -P man_page.cmake
get_filename_component(roff ${PAGE} NAME_WLE)
get_filename_component(dir ${PAGE} DIRECTORY)
execute_process(COMMAND ${SCDOC} INPUT_FILE ${SOURCE} OUTPUT_FILE ${dir}/${roff} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "scdoc failed on ${SOURCE}")
endif()
# -n: no name or time stamp inside, so that the page is the same on every build.
execute_process(COMMAND ${GZIP} -9 -n -f ${dir}/${roff} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "gzip failed on ${dir}/${roff}")
endif()
