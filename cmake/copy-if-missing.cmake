# Copies SRC to DST unless DST exists: a user's own file there is never overwritten.
if(NOT EXISTS "${DST}")
    file(COPY_FILE "${SRC}" "${DST}")
endif()
