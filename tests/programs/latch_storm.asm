; Writes to the latch with nearly every instruction, pushing the speaker one
; way and the other each time: the most work the speaker can be given.

LATCH:      equ 0x6800
SPEAKER_A:  equ 0x01
SPEAKER_B:  equ 0x20

            org 0x8000
            di
            ld hl, LATCH
            ld a, SPEAKER_A
            ld b, SPEAKER_B
loop:       ld (hl), a
            ld (hl), b
            ld (hl), a
            ld (hl), b
            ld (hl), a
            ld (hl), b
            ld (hl), a
            ld (hl), b
            jr loop
