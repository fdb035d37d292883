# Fails when a translation source is out of step with src/ (run `make translations`), or when
# one of its entries is unfinished. Usage: cmake -DLUPDATE=... -DSOURCES=<src> -DWORK=<dir>
# -DTS_FILES=<a.ts;b.ts> -P CheckTranslations.cmake
foreach(ts IN LISTS TS_FILES)
    get_filename_component(name ${ts} NAME)
    file(COPY_FILE ${ts} ${WORK}/${name})
    execute_process(COMMAND ${LUPDATE} -silent -locations none -no-obsolete ${SOURCES} -ts ${WORK}/${name}
                    RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "lupdate failed on ${name}")
    endif()
    file(READ ${ts} committed)
    file(READ ${WORK}/${name} updated)
    if(NOT committed STREQUAL updated)
        message(FATAL_ERROR "${name} is out of step with src/: run `make translations` and translate what is new.")
    endif()
    string(FIND "${committed}" "type=\"unfinished\"" unfinished)
    if(NOT unfinished EQUAL -1)
        message(FATAL_ERROR "${name} has unfinished entries.")
    endif()
endforeach()
