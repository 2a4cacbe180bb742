# Fails when a text a person reads has no translation: gathers the texts of the sources into a copy of each
# translation file, as update_translations would, and looks for entries still unfinished.
foreach(ts IN LISTS TS_FILES)
    get_filename_component(name ${ts} NAME)
    set(copy ${WORK_DIR}/${name})
    file(COPY_FILE ${ts} ${copy})
    execute_process(COMMAND ${LUPDATE} -silent -locations none -no-obsolete ${SOURCE_DIRS} -ts ${copy}
                    RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "lupdate failed on ${name}")
    endif()
    file(STRINGS ${copy} unfinished REGEX "type=\"unfinished\"")
    if(unfinished)
        message(FATAL_ERROR "${name} lacks translations; run `cmake --build build --target update_translations` "
                            "and translate every entry marked unfinished")
    endif()
endforeach()
