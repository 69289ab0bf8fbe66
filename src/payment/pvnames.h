// Command and field names as they travel on the wire (blank-padded to fixed widths), and the
// sizing of each command's buffer.
#ifndef PAYVANE_PVNAMES_H
#define PAYVANE_PVNAMES_H

enum PvCommand {
    PV_CMD_RECEIVE_PAYMENT,
    PV_CMD_ACCEPT_PAYMENT,
    PV_CMD_CANCEL_ORDER,
    PV_CMD_APPROVE,
    PV_CMD_APPROVE_REVERSAL,
    PV_CMD_DEPOSIT,
    PV_CMD_DEPOSIT_REVERSAL,
    PV_CMD_REFUND,
    PV_CMD_REFUND_REVERSAL,
    PV_CMD_BATCH_OPEN,
    PV_CMD_BATCH_CLOSE,
    PV_CMD_STOP,
    PV_CMD_ABOUT,
};

struct PvCommandSizing {
    const char* name; // exactly 15 characters
    // Sizing for apiCommandInit: parameters, numbers, short numbers.
    int parameters;
    int numbers;
    int shortNumbers;
};

// Indexed by PvCommand.
inline constexpr PvCommandSizing kPvCommands[] = {
    {"RECEIVEPAYMENT ", 19, 7, 4}, {"ACCEPTPAYMENT  ", 16, 7, 4}, {"CANCELORDER    ", 10, 6, 3},
    {"APPROVE        ", 10, 6, 3}, {"APPROVEREVERSAL", 8, 4, 3},  {"DEPOSIT        ", 8, 5, 2},
    {"DEPOSITREVERSAL", 8, 5, 2},  {"REFUND         ", 8, 5, 2},  {"REFUNDREVERSAL ", 8, 5, 2},
    {"BATCHOPEN      ", 5, 3, 0},  {"BATCHCLOSE     ", 4, 3, 0},  {"STOP           ", 0, 0, 0},
    {"ABOUT          ", 0, 0, 0},
};

// Field names, exactly 16 characters each.
inline constexpr char kFieldApiVersion[] = "PVAPIVERSION    ";
inline constexpr char kFieldOrderNumber[] = "ORDERNUMBER     ";
inline constexpr char kFieldMerchantNumber[] = "MERCHANTNUMBER  ";
inline constexpr char kFieldAmount[] = "AMOUNT          ";
inline constexpr char kFieldAmountExp10[] = "AMOUNTEXP10     ";
inline constexpr char kFieldCurrency[] = "CURRENCY        ";
inline constexpr char kFieldSuccessUrl[] = "SUCCESSURL      ";
inline constexpr char kFieldFailureUrl[] = "FAILUREURL      ";
inline constexpr char kFieldCancelUrl[] = "CANCELURL       ";
inline constexpr char kFieldServiceUrl[] = "SERVICEURL      ";
inline constexpr char kFieldPaymentType[] = "PAYMENTTYPE     ";
inline constexpr char kFieldCharset[] = "CHARSET         ";
inline constexpr char kFieldOrderDescription[] = "ORDERDESCRIPTION";
inline constexpr char kFieldApproveFlag[] = "APPROVEFLAG     ";
inline constexpr char kFieldPaymentNumber[] = "PAYMENTNUMBER   ";
inline constexpr char kFieldPaymentAmount[] = "PAYMENTAMOUNT   ";
inline constexpr char kFieldSplitAllowed[] = "SPLITALLOWED    ";
inline constexpr char kFieldDepositFlag[] = "DEPOSITFLAG     ";
inline constexpr char kFieldBatchId[] = "BATCHID         ";
inline constexpr char kFieldCreditNumber[] = "CREDITNUMBER    ";
inline constexpr char kFieldAccountNumber[] = "ACCOUNTNUMBER   ";
inline constexpr char kFieldDeleteOrder[] = "DELETEORDER     ";

// The API version every command announces.
inline constexpr unsigned long kPvApiVersion = 2;

#endif
