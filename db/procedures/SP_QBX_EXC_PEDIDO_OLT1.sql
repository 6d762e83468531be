-- Deletes an order logically: its status becomes 2 and its items are left as
-- they are; nothing is recorded. The answer is RETORNO 0, also for an order
-- that is already deleted or an id that no order has. The user id is not used.
CREATE PROCEDURE SP_QBX_EXC_PEDIDO_OLT1 (@PEDIDO_ID INTEGER, @USUARIO_ID INTEGER)
AS
UPDATE PEDIDO SET TAB_STATUS_ID = 2 WHERE PEDIDO_ID = @PEDIDO_ID;
SELECT 0 AS RETORNO, '' AS MSG_RET;
