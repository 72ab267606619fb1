// The one position of the engine on a 0x88 board, its moves, and the
// routines that change and question it.
#pragma once

#include <bit>
#include <cstdint>

// ---------------------------------------------------------------- basic types

using Square = int;     // rank * 16 + file; a1 = 0, h8 = 0x77
using Side = int;       // 0 white, 1 black
using PieceType = int;  // 0 none, 1 king, 2 queen, 3 rook, 4 bishop, 5 knight, 6 pawn
using Score = int;      // 1/256 of a pawn

enum : int { WHITE = 0, BLACK = 1 };
enum : int { NONE = 0, KING = 1, QUEEN = 2, ROOK = 3, BISHOP = 4, KNIGHT = 5, PAWN = 6 };

// The corners and the kings' homes; H8 is the last square.
enum : int { A1 = 0x00, E1 = 0x04, H1 = 0x07, A8 = 0x70, E8 = 0x74, H8 = 0x77 };
constexpr bool onBoard(int sq) { return (sq & ~H8) == 0; }
constexpr int rankOf(int sq) { return sq >> 4; }        // 0 for the first rank
constexpr int rankStart(int rank) { return rank * 16; }  // the rank's a-file square

// Material of one man, by PieceType.
inline constexpr int pieceValue[7] = {0, 0, 2304, 1216, 776, 760, 256};
constexpr int startMaterial = 19712;

constexpr int MATE_SCORE = 32000;
constexpr int MATE_THRESHOLD = 31000;
constexpr int SCORE_INFINITE = 32001;


// Sets of squares are 64-bit words, a1 = bit 0 .. h8 = bit 63.
constexpr int squareIndex64(int sq) { return (sq + (sq & 7)) >> 1; }  // a Square's bit
constexpr int squareOf64(int n) { return n + (n & ~7); }              // the Square of a bit
constexpr uint64_t FILE_A_SQUARES = 0x0101010101010101ull;
constexpr uint64_t FILE_H_SQUARES = FILE_A_SQUARES << 7;
// The squares a man of a type reaches from a square on an empty board,
// indexed by PieceType and the square's bit. Pawns have none.
extern uint64_t emptyBoardReach[7][64];

// Step tables: entries 0-3 of directions are the rook steps, 4-7 the bishop steps.
inline constexpr signed char directions[8] = {1, -1, 16, -16, 17, -17, 15, -15};
inline constexpr signed char knightJumps[8] = {14, -14, 18, -18, 31, -31, 33, -33};
inline constexpr signed char pawnDir[2] = {16, -16};

// The squares from a square onward in steps of one of the directions, the
// square itself not included; indexed by the step + STEP_OFFSET and the
// square's bit.
constexpr int STEP_OFFSET = 17;
extern uint64_t raySquares[2 * STEP_OFFSET + 1][64];

// The nearest square to a ray's start among a non-empty set of squares on
// the ray; along a positive step the numbers grow.
inline int nearestOnRay(uint64_t set, int step) {
  return squareOf64(step > 0 ? std::countr_zero(set) : 63 - std::countl_zero(set));
}

// What a rook or a bishop on the square with bit n reaches among the men on
// occupied: the empty squares of each ray up to and with its first man. Each
// line through the square is looked up by the men on its six inner squares,
// gathered into six bits by a multiplication: a rank or a diagonal has one
// square on each file, whose bits a multiplication by the b-file collects in
// the top byte; a file is moved to the a-file and collected along a
// diagonal. lineReachByFile holds, for a man on a file and the men on the
// inner files, the reached files repeated on every rank; fileReachByRank the
// same for a file, on the a-file.
constexpr int LINE_INNER_SHIFT = 58;  // the top six bits: the inner squares of a line
constexpr uint64_t B_FILE_SQUARES = FILE_A_SQUARES << 1;
constexpr uint64_t FILE_GATHER = 0x0080402010080400ull;  // a-file ranks 2-7 into the top six bits
extern uint64_t lineReachByFile[8][64];
extern uint64_t fileReachByRank[8][64];
// The lines through each square: its rank, its diagonal (a1-h8 way) and its
// anti-diagonal (h1-a8 way), the square included.
extern uint64_t lineSquares[3][64];
enum LineKind { RANK_LINE, DIAGONAL_LINE, ANTI_DIAGONAL_LINE };

inline uint64_t lineReach(int n, uint64_t occupied, LineKind kind) {
  const uint64_t line = lineSquares[kind][n];
  return line & lineReachByFile[n & 7][(occupied & line) * B_FILE_SQUARES >> LINE_INNER_SHIFT];
}

inline uint64_t fileReach(int n, uint64_t occupied) {
  const int file = n & 7;
  const uint64_t onAFile = (occupied >> file) & FILE_A_SQUARES;
  return fileReachByRank[n >> 3][onAFile * FILE_GATHER >> LINE_INNER_SHIFT] << file;
}

inline uint64_t rookReach(int n, uint64_t occupied) {
  return lineReach(n, occupied, RANK_LINE) | fileReach(n, occupied);
}

inline uint64_t bishopReach(int n, uint64_t occupied) {
  return lineReach(n, occupied, DIAGONAL_LINE) | lineReach(n, occupied, ANTI_DIAGONAL_LINE);
}

// ---------------------------------------------------------------- board data

struct BoardEntry {
  int16_t listIndex;  // slot of the man in its side's pieceList
  int8_t side;
  int8_t type;  // 0 = empty; an empty square keeps its old listIndex and side
};

struct PieceSlot {
  int32_t square;
  int32_t type;  // 0 = captured; the slot keeps its place
};

// Move flags and the layout of Move::code:
// to bits 0-6, from 7-13, piece 14-16, captured 17-19, then the flags.
constexpr uint32_t MOVE_EP = 0x00100000;
constexpr uint32_t MOVE_PROMOTION = 0x00200000;
constexpr uint32_t MOVE_CASTLE_SHORT = 0x00400000;
constexpr uint32_t MOVE_CASTLE_LONG = 0x00800000;
constexpr uint32_t MOVE_NULL = 0x01000000;
constexpr uint32_t MOVE_SENTINEL = 0x02000000;
constexpr uint32_t MOVE_CAPTURED = 0x000E0000;       // the captured type's bits
constexpr uint32_t MOVE_TAKES_OR_PROMOTES = MOVE_CAPTURED | MOVE_EP | MOVE_PROMOTION;
constexpr uint32_t MOVE_SPECIAL = 0x00F00000;        // the flags makeMove looks at
constexpr uint32_t MOVE_IRREVERSIBLE = 0x03FE0000;   // captured bits and all six flags

struct Move {
  uint32_t code;
  uint32_t lockKey;  // key of the position after the move (written by makeMove)
  int16_t to;
  int16_t from;
  int16_t piece;
  int16_t captured;
};

constexpr uint32_t packMove(int to, int from, int piece, int captured, uint32_t flags) {
  return uint32_t(to) | uint32_t(from) << 7 | uint32_t(piece) << 14 | uint32_t(captured) << 17 | flags;
}

inline constexpr Move nullMoveTemplate = {MOVE_NULL, 0, 8, 8, 0, 1};
inline constexpr Move sentinelMove = {MOVE_SENTINEL, 0, 8, 8, 0, 1};

// moveStack: records 0..103 hold the game history (oldest first, the last game
// move in 103), record 104 is the root ply, 105 onward one record per ply.
constexpr int MOVE_STACK_SIZE = 169;
constexpr int HISTORY_LAST = 103;
constexpr int ROOT_RECORD = 104;

// The board entries, indexed by Square (off-board squares included), and the
// space beside them that off-board reads may touch; never written.
constexpr int BOARD_SIZE = 256;
constexpr int BOARD_GUARD = 48;

struct Position {
  BoardEntry boardStore[BOARD_GUARD + BOARD_SIZE + BOARD_GUARD];
  BoardEntry* board;  // = boardStore + BOARD_GUARD, indexed by Square
  PieceSlot pieceList[2][16];
  int lastIndex[2];
  int lastPieceIndex[2];  // the last slot holding a piece, not a pawn; raised to a promoted pawn's slot
  int side;
  int xside;
  uint32_t lockKey;
  uint32_t indexKey;
  int totalMaterial;
  int menCount;
  // The squares of each side's men as 64-bit sets (a1 = bit 0, h8 = bit 63):
  // index NONE all of them, else those of one PieceType. Kept in step with
  // the board by every change of it; they spare the generators and the move
  // tests their scans of empty squares and lists. (Index 7 stays empty; it
  // makes a side's row eight words.)
  uint64_t manSets[2][8];
  Move moveStack[MOVE_STACK_SIZE];
  Move* currentMove;
  // Home squares (homeSquareBit) whose king or rook has lost its castling
  // right outside the history window: denied by the FEN, or by a game move
  // that has since dropped out of the window.
  int homesSpent;
};

extern Position position;  // the one position of the engine
extern int ply;            // distance of the searched node from the root

// Hands the move to the other side; the men stay where they are.
inline void switchSide() {
  position.side = position.xside;
  position.xside ^= 1;
}


// ---------------------------------------------------------------- routines

// A real move, made from a record of moveStack and taken back from the same
// record, the last made first; a null move goes through its own pair below.
void makeMove(Move& m);
void unmakeMove(Move& m);
void makeNullMove(Move& m);
void unmakeNullMove();
bool isAttacked(int by, int sq);
bool canReach(int type, int from, int to);
bool isRepetition();
int captureGain();
// The index key the position will have after a quiet move other than castling
// (nothing is changed).
uint32_t indexKeyAfterQuiet(const Move& m);

// Move generation: every generator writes each move into *currentMove, calls
// moveVisitor(arg) and returns 1 as soon as the visitor answers non-zero.
using MoveVisitor = int (*)(void* arg);
extern MoveVisitor moveVisitor;

int genPromotions(int allPieces, void* arg);
int genCaptures(void* arg);
int genQuiet(void* arg);
// Of genQuiet's moves, in its order, those that may matter where every quiet
// move that neither checks nor is extended is futile: every move of a man on
// a line between the enemy king and one of the side's own sliders beyond it;
// of the other men, the moves that attack the enemy king from their
// destination and the pawn steps onto the seventh rank; and castling. King
// moves come only from a king on such a line.
int genQuietChecks(void* arg);
// Of genQuiet's moves, in its order, those that may answer a check: every
// king move, and the moves of the other men onto targets (evasionSquares of
// the checkers). No castling: the side to move is in check.
int genQuietEvasions(uint64_t targets, void* arg);

// The legal moves of the side to move, in generation order (promotions,
// captures and en passant, quiet moves and castling); returns the count.
// Uses the record at currentMove as its scratch record.
constexpr int MAX_LEGAL_MOVES = 256;
int legalMoves(Move* list, int capacity);

// Move text. moveToText returns a static buffer that the next call reuses.
const char* moveToText(const Move& m);
// Decodes a UCI move token against the current board; false when the token is
// not a move (nothing is written then).
bool decodeMoveText(const char* token, Move& m);

// The position command: the text after the word "position". Returns null
// when the position stands, or why it was refused (then there is no
// position until the next command).
const char* setupPosition(const char* args);
// False after a position command that was rejected: there is no position then.
bool positionValid();
// Whether the piece lists, counts and keys agree with the board (for the
// debug builds' assertions).
bool positionConsistent();

