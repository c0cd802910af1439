vq_add_test(tst_notes SOURCES tst_notes.cpp
    ${PROJECT_SOURCE_DIR}/practice/Ujx.cpp ${PROJECT_SOURCE_DIR}/practice/Ubj.cpp
    LIBS vq_ui vq_store vq_richtext)
vq_add_test(tst_notes_pictures SOURCES tst_notes_pictures.cpp
    ${PROJECT_SOURCE_DIR}/practice/Pictures.cpp
    LIBS vq_ui vq_store vq_platform)
