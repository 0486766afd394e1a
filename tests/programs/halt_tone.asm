; Frames that end asleep: a short tone at the start of each frame, then a
; HALT that sleeps to the frame's end, where the ROM's frame interrupt wakes
; it. After BURSTS frames the speaker is held to one side, for the sound to
; fade, and the processor halts with interrupts off: nothing wakes it again.

LATCH:      equ 0x6800
SPEAKER_A:  equ 0x01
SPEAKER_B:  equ 0x20
BURSTS:     equ 40
PUSHES:     equ 20              ; 20 x 2,644 cycles: most of a frame

            org 0x8000
            im 1
            ld d, BURSTS
burst:      ei
            ld e, PUSHES
push:       ld a, SPEAKER_A
            ld (LATCH), a
            ld b, 100
wait1:      djnz wait1
            ld a, SPEAKER_B
            ld (LATCH), a
            ld b, 100
wait2:      djnz wait2
            dec e
            jr nz, push
            halt                ; to the frame's end
            dec d
            jr nz, burst
            ld a, SPEAKER_A
            ld (LATCH), a
            di
            halt                ; for good
