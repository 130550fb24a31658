; The viewer of the demo and preview images: shows the field and the batter's
; view as the console draws them, read from the same locations of the image
; that the editor edits.
;
; It lives in the last program bank, fixed at $C000-$FFFF once the MMC1 is
; reset; the locations lie in the other banks, switched in at $8000 when
; read. The field is 768 x 768 pixels; the screen shows 256 x 240 of them,
; from the view's top-left corner (ox, oy), both multiples of 16, so every
; 16 x 16 quadrant of the field falls on one quadrant of the attribute table.
;
; Controls: the d-pad moves the view by 16 pixels (a direction held longer
; than 16 frames repeats every 8 frames); Start switches between the field
; and the batter's view. Each change is drawn with rendering off, then shown
; from the next vertical blank.

.include "rom_addresses.inc"

PPUCTRL   = $2000
PPUMASK   = $2001
PPUSTATUS = $2002
PPUSCROLL = $2005
PPUADDR   = $2006
PPUDATA   = $2007
DMC_FREQ  = $4010
JOYPAD1   = $4016
APU_FRAME = $4017

MMC1_CONTROL = $8000
MMC1_CHR0    = $A000
MMC1_CHR1    = $C000
MMC1_PRG     = $E000

; Control: two 4 KiB CHR banks, 16 KiB program bank switched at $8000 with
; the last fixed at $C000, vertical mirroring.
MMC1_MODE = %11110

CTRL_NMI  = %10000000   ; NMI on, name table $2000, background tiles at $0000
MASK_SHOW = %00001010   ; background on, also in the leftmost 8 pixels

BUTTON_START = %00010000
BUTTON_UP    = %00001000
BUTTON_DOWN  = %00000100
BUTTON_LEFT  = %00000010
BUTTON_RIGHT = %00000001
DPAD         = %00001111

REPEAT_AFTER = 16       ; frames a direction is held before it repeats
REPEAT_EVERY = 8

MAX_OX16 = (MAP_COLUMNS * 32 - 256) / 16   ; 32: x 0..512
MAX_OY16 = (MAP_ROWS * 32 - 240) / 16      ; 33: y 0..528

.assert FIELD_MAP_BANK = FIELD_ATTRIBUTES_BANK, error, "the field's blocks share a bank"
.assert FIELD_MAP_BANK = METATILES_BANK, error, "the field's blocks share a bank"
.assert METATILE_REACH_END <= $C000, error, "metatile 255 lies in the switched bank"
.assert MAX_OY16 = 33, error, "the field is 24 cells high"

.segment "ZEROPAGE"
frame:      .res 1      ; counted by the NMI
last_frame: .res 1
elapsed:    .res 1
buttons:    .res 1
previous:   .res 1
pressed:    .res 1
held:       .res 1      ; frames the d-pad has been held since the last move
mode:       .res 1      ; 0 the field, 1 the batter's view
ox16:       .res 1      ; the view's corner in 16-pixel steps
oy16:       .res 1
pointer:    .res 2
tiles:      .res 2
rows:       .res 1
columns:    .res 1
fx:         .res 1      ; a field tile's column and row (8-pixel units)
fy:         .res 1
row_offset: .res 1      ; (fy mod 4) * 4: the metatile row's first tile
qx:         .res 1      ; a quadrant of the screen
qy:         .res 1
qx_saved:   .res 1
qy_saved:   .res 1
fqx:        .res 1      ; a quadrant of the field
fqy:        .res 1
attribute:  .res 1
directions: .res 1
changed:    .res 1
data_bank:  .res 1      ; the program bank a screen's data lies in
chr_bank:   .res 1      ; the 4 KiB CHR bank of its tiles

.segment "CODE"

reset:
  sei
  cld
  ldx #$FF
  txs
  inx
  stx PPUCTRL
  stx PPUMASK
  stx DMC_FREQ
  lda #$40
  sta APU_FRAME
  bit PPUSTATUS
@wait1:
  bit PPUSTATUS
  bpl @wait1
  txa
@clear:
  sta $00,x
  inx
  bne @clear
@wait2:
  bit PPUSTATUS
  bpl @wait2

  lda #$80
  sta MMC1_CONTROL
  lda #MMC1_MODE
  jsr mmc1_control
  lda #0
  jsr mmc1_chr1

  jsr redraw
main:
  jsr wait_frame
  lda frame
  sec
  sbc last_frame
  sta elapsed
  lda frame
  sta last_frame
  jsr read_pad
  lda previous
  eor #$FF
  and buttons
  sta pressed
  lda buttons
  sta previous

  lda pressed
  and #BUTTON_START
  beq @no_start
  lda mode
  eor #1
  sta mode
  jsr redraw
  jmp main
@no_start:
  lda mode
  bne main                ; the batter's view does not move
  lda buttons
  and #DPAD
  bne @held
  sta held
  jmp main
@held:
  lda pressed
  and #DPAD
  beq @repeat
  lda #0
  sta held
  lda pressed
  and #DPAD
  jmp @move
@repeat:
  lda held
  clc
  adc elapsed
  bcc :+
  lda #$FF
: sta held
  cmp #REPEAT_AFTER + 1
  bcc main
  sbc #REPEAT_EVERY
  sta held
  lda buttons
  and #DPAD
@move:
  jsr move
  beq main
  jsr redraw
  jmp main

; Moves the view by the directions in A, within the field. Returns A (and
; the Z flag) nonzero when it moved.
move:
  sta directions
  lda #0
  sta changed
  lda directions
  and #BUTTON_RIGHT
  beq :+
  lda ox16
  cmp #MAX_OX16
  bcs :+
  inc ox16
  inc changed
: lda directions
  and #BUTTON_LEFT
  beq :+
  lda ox16
  beq :+
  dec ox16
  inc changed
: lda directions
  and #BUTTON_DOWN
  beq :+
  lda oy16
  cmp #MAX_OY16
  bcs :+
  inc oy16
  inc changed
: lda directions
  and #BUTTON_UP
  beq :+
  lda oy16
  beq :+
  dec oy16
  inc changed
: lda changed
  rts

; Draws the screen of the current mode with rendering off, then shows it from
; the next vertical blank.
redraw:
  lda #0
  sta PPUMASK
  lda mode
  bne :+
  jsr draw_field
  jmp show
: jsr draw_batview
show:
  lda #CTRL_NMI
  sta PPUCTRL
  jsr wait_frame
  bit PPUSTATUS
  lda #0
  sta PPUSCROLL
  sta PPUSCROLL
  lda #CTRL_NMI
  sta PPUCTRL
  lda #MASK_SHOW
  sta PPUMASK
  rts

wait_frame:
  lda frame
: cmp frame
  beq :-
  rts

; The field from (ox, oy): the palette, the 32 x 30 tiles and the attribute
; bytes.
draw_field:
  lda #<FIELD_PALETTE
  sta pointer
  lda #>FIELD_PALETTE
  sta pointer+1
  lda #FIELD_MAP_BANK
  sta data_bank
  lda #FIELD_CHR
  sta chr_bank
  lda #FIELD_PALETTE_BANK
  jsr begin_screen
  lda oy16
  asl a
  sta fy
  lda #30
  sta rows
@row:
  lda fy
  lsr a
  lsr a
  tax
  lda map_row_low,x
  sta pointer
  lda map_row_high,x
  sta pointer+1
  lda fy
  and #3
  asl a
  asl a
  sta row_offset
  lda ox16
  asl a
  sta fx
  lda #32
  sta columns
@column:
  lda fx
  lsr a
  lsr a
  tay
  lda (pointer),y         ; the cell's metatile
  ldx #0
  stx tiles+1
  asl a
  rol tiles+1
  asl a
  rol tiles+1
  asl a
  rol tiles+1
  asl a
  rol tiles+1
  clc
  adc #<METATILES
  sta tiles
  lda tiles+1
  adc #>METATILES
  sta tiles+1
  lda fx
  and #3
  ora row_offset
  tay
  lda (tiles),y
  sta PPUDATA
  inc fx
  dec columns
  bne @column
  inc fy
  dec rows
  bne @row

  ; The attribute table follows the name table at $23C0: 8 x 8 bytes, each
  ; for 2 x 2 quadrants of the screen, the top-left in bits 0-1, top-right
  ; 2-3, bottom-left 4-5, bottom-right 6-7.
  lda #0
  sta qy
@attribute_row:
  lda #0
  sta qx
@attribute_column:
  lda #0
  sta attribute
  ldx qx
  ldy qy
  iny
  inx
  jsr add_quadrant        ; bottom-right
  dex
  jsr add_quadrant        ; bottom-left
  dey
  inx
  jsr add_quadrant        ; top-right
  dex
  jsr add_quadrant        ; top-left
  lda attribute
  sta PPUDATA
  inc qx
  inc qx
  lda qx
  cmp #16
  bne @attribute_column
  inc qy
  inc qy
  lda qy
  cmp #16
  bne @attribute_row
  rts

; Shifts the sub-palette of screen quadrant (X, Y) into the attribute byte
; from the right. Below the screen's 15 rows of quadrants it is 0. Keeps X
; and Y.
add_quadrant:
  asl attribute
  asl attribute
  cpy #15
  bcs @done
  stx qx_saved
  sty qy_saved
  tya
  clc
  adc oy16
  sta fqy
  txa
  clc
  adc ox16
  sta fqx
  lda fqy
  lsr a
  tax
  lda attribute_row_low,x
  sta pointer
  lda attribute_row_high,x
  sta pointer+1
  lda fqx
  lsr a
  tay
  lda (pointer),y
  lsr fqy                 ; a bottom quadrant: bits 4-7
  bcc :+
  lsr a
  lsr a
  lsr a
  lsr a
: lsr fqx                 ; a right quadrant: the next two bits
  bcc :+
  lsr a
  lsr a
: and #3
  ora attribute
  sta attribute
  ldx qx_saved
  ldy qy_saved
@done:
  rts

; The batter's view: its palette and its whole name table; every attribute
; byte 0, so every tile shows sub-palette 0.
draw_batview:
  lda #<BATVIEW_PALETTE
  sta pointer
  lda #>BATVIEW_PALETTE
  sta pointer+1
  lda #BATVIEW_NAMES_BANK
  sta data_bank
  lda #BATVIEW_CHR
  sta chr_bank
  lda #BATVIEW_PALETTE_BANK
  jsr begin_screen
  lda #<BATVIEW_NAMES
  sta pointer
  lda #>BATVIEW_NAMES
  sta pointer+1
  ldx #>BATVIEW_CELLS     ; whole pages first
  ldy #0
@page:
  lda (pointer),y
  sta PPUDATA
  iny
  bne @page
  inc pointer+1
  dex
  bne @page
@rest:
  lda (pointer),y
  sta PPUDATA
  iny
  cpy #<BATVIEW_CELLS
  bne @rest
  lda #0
  ldx #64
@attributes:
  sta PPUDATA
  dex
  bne @attributes
  rts

; Loads the palette at `pointer` of program bank A, then switches in program
; bank `data_bank` and CHR bank `chr_bank` and points the PPU at the name
; table's first byte.
begin_screen:
  jsr mmc1_prg
  jsr load_palette
  lda data_bank
  jsr mmc1_prg
  lda chr_bank
  jsr mmc1_chr0
  bit PPUSTATUS
  lda #$20
  sta PPUADDR
  lda #$00
  sta PPUADDR
  rts

; The 16 bytes at `pointer` into the background palette.
load_palette:
  bit PPUSTATUS
  lda #$3F
  sta PPUADDR
  lda #$00
  sta PPUADDR
  ldy #0
: lda (pointer),y
  sta PPUDATA
  iny
  cpy #16
  bne :-
  rts

; Controller 1 into `buttons`: A, B, Select, Start, Up, Down, Left, Right from
; bit 7 to bit 0.
read_pad:
  lda #1
  sta JOYPAD1
  sta buttons
  lsr a
  sta JOYPAD1
: lda JOYPAD1
  and #%00000011
  cmp #1
  rol buttons
  bcc :-
  rts

; MMC1 registers take five writes of one bit each, lowest first: A to the
; register.
.macro write_mmc1 register
  ldx #5
: sta register
  lsr a
  dex
  bne :-
  rts
.endmacro

mmc1_control: write_mmc1 MMC1_CONTROL
mmc1_chr0:    write_mmc1 MMC1_CHR0
mmc1_chr1:    write_mmc1 MMC1_CHR1
mmc1_prg:     write_mmc1 MMC1_PRG

nmi:
  inc frame
irq:
  rti

; The first byte of each row of the field map and of its attribute map.
map_row_low:
.repeat MAP_ROWS, row
  .byte <(FIELD_MAP + row * MAP_COLUMNS)
.endrepeat
map_row_high:
.repeat MAP_ROWS, row
  .byte >(FIELD_MAP + row * MAP_COLUMNS)
.endrepeat
attribute_row_low:
.repeat MAP_ROWS, row
  .byte <(FIELD_ATTRIBUTES + row * MAP_COLUMNS)
.endrepeat
attribute_row_high:
.repeat MAP_ROWS, row
  .byte >(FIELD_ATTRIBUTES + row * MAP_COLUMNS)
.endrepeat

; The reset stub and the vectors: the same 16 bytes end every program bank
; of the image, so whichever bank the board starts with at $C000-$FFFF, the
; reset lands here; the write of $80 fixes this bank at $C000, and the jump
; continues in it.
.segment "RESET"
reset_stub:
.assert reset_stub = RESET_TAIL, error, "the reset stub starts the tail the image repeats"
  sei
  ldx #$FF
  txs
  stx MMC1_CONTROL
  jmp reset

.segment "VECTORS"
  .word nmi, reset_stub, irq
