# The small windows and the pictures the practice windows share with the mock exam.
set(VQ_PRACTICE_SMALL_WINDOWS Ujx.h Ujx.cpp Ubj.h Ubj.cpp Pictures.h Pictures.cpp)
