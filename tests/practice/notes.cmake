vq_add_test(tst_notes SOURCES tst_notes.cpp LIBS vq_practice)
vq_add_test(tst_notes_pictures SOURCES tst_notes_pictures.cpp LIBS vq_practice)
