# Writes the first Interf.ini of a laid-out program folder; an existing one is kept as it is.
if(NOT EXISTS "${INTERF}")
    file(WRITE "${INTERF}" "[Net]\r\nIPX=false\r\n")
endif()
