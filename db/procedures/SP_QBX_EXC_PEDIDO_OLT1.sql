-- Deletes an order logically: its status becomes 2 and its items are left as
-- they are; nothing is recorded. Deleting an order that is already deleted
-- succeeds again; an unknown order is refused with RETORNO 1.
CREATE PROCEDURE SP_QBX_EXC_PEDIDO_OLT1 (@PEDIDO_ID INTEGER, @USUARIO_ID INTEGER)
AS
UPDATE PEDIDO SET TAB_STATUS_ID = 2 WHERE PEDIDO_ID = @PEDIDO_ID;
SELECT CASE WHEN EXISTS (SELECT 1 FROM PEDIDO WHERE PEDIDO_ID = @PEDIDO_ID) THEN 0 ELSE 1 END AS RETORNO,
       CASE WHEN EXISTS (SELECT 1 FROM PEDIDO WHERE PEDIDO_ID = @PEDIDO_ID) THEN '' ELSE 'Pedido não encontrado.' END
           AS MSG_RET;
