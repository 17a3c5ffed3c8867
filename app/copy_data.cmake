# Copies the text files the program shows beside the executable, each only when
# it is there (they are written separately from the code).
foreach(name Morvi.txt Morvi.HIS)
  if(EXISTS "${SOURCE_DIR}/${name}")
    file(COPY "${SOURCE_DIR}/${name}" DESTINATION "${DEST_DIR}")
  endif()
endforeach()
